// The window in front on Windows: an out-of-context event hook tells of
// every change, on this thread's message loop, and a coalescable timer looks
// again now and then. Both run only while the core needs them. The process
// behind the window is asked for its program file with the least access
// there is, which elevated and protected processes grant too.
#include "app/ForegroundWatch.h"

#include "actions/ProgramActions.h"
#include "base/SystemLibrary.h"
#include "base/WinText.h"

#include <windows.h>

#include <dwmapi.h>
#include <shellapi.h>
#include <tlhelp32.h>

namespace keyvane {
namespace {

bool IsDesktop(HWND window) {
    if (window == GetShellWindow() || window == GetDesktopWindow()) return true;
    wchar_t name[16] = {};
    GetClassNameW(window, name, 16);
    return lstrcmpW(name, L"Progman") == 0 || lstrcmpW(name, L"WorkerW") == 0;
}

ScreenRect ToScreenRect(const RECT& r) {
    return {r.left, r.top, r.right, r.bottom};
}

// The visible bounds. GetWindowRect includes the invisible resize borders,
// which reach past the monitor's edges on a maximized window; the desktop
// window manager knows the bounds without them. Its DLL is loaded on first
// use from the system folder (never imported: the start maps none of it),
// and the call fails where composition is off (Windows 7 without it).
bool VisibleBounds(HWND window, RECT& rect) {
    if (WindowManagerAttribute(window, DWMWA_EXTENDED_FRAME_BOUNDS, &rect, sizeof rect))
        return true;
    return GetWindowRect(window, &rect) != FALSE;
}

ShellState ShellStateNow() {
    QUERY_USER_NOTIFICATION_STATE state{};
    if (FAILED(SHQueryUserNotificationState(&state))) return ShellState::Other;
    switch (state) {
    case QUNS_BUSY:
        return ShellState::Busy;
    case QUNS_RUNNING_D3D_FULL_SCREEN:
        return ShellState::Direct3DExclusive;
    case QUNS_PRESENTATION_MODE:
        return ShellState::Presentation;
    default:
        return ShellState::Other;
    }
}

bool FillsItsMonitor(HWND window) {
    if (!window) return false;
    WindowShape shape;
    shape.desktop = IsDesktop(window);
    shape.minimized = IsIconic(window) != FALSE;
    if (shape.desktop || shape.minimized) return false;
    RECT frame{};
    if (!VisibleBounds(window, frame)) return false;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor))
        return false;
    shape.frame = ToScreenRect(frame);
    shape.monitor = ToScreenRect(monitor.rcMonitor);
    const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
    shape.caption = (style & WS_CAPTION) == WS_CAPTION;
    shape.maximized = IsZoomed(window) != FALSE;
    return IsFullScreen(shape, ShellStateNow());
}

class SystemProcessFacts final : public WindowProcessFacts {
  public:
    explicit SystemProcessFacts(HWND window) : window_(window) {}
    std::uint32_t ProcessId() override {
        DWORD processId = 0;
        if (window_) GetWindowThreadProcessId(window_, &processId);
        return processId;
    }
    std::uint32_t HostedProcessId() override {
        // A store app's frame holds the app's core window as a child while
        // the app shows; the child belongs to the app's process.
        struct Search {
            DWORD host = 0;
            DWORD found = 0;
        } search{static_cast<DWORD>(ProcessId())};
        EnumChildWindows(
            window_,
            [](HWND child, LPARAM param) -> BOOL {
                auto& s = *reinterpret_cast<Search*>(param);
                wchar_t name[32] = {};
                GetClassNameW(child, name, 32);
                if (lstrcmpW(name, L"Windows.UI.Core.CoreWindow") != 0) return TRUE;
                DWORD processId = 0;
                GetWindowThreadProcessId(child, &processId);
                if (processId == 0 || processId == s.host) return TRUE;
                s.found = processId;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found;
    }
    std::u16string ImagePath(std::uint32_t processId) override {
        return ProcessImagePath(processId);
    }
    std::u16string ListedFileName(std::uint32_t processId) override {
        // Asked only when the process refused its path: a snapshot of every
        // process costs a few milliseconds.
        const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        if (snapshot == INVALID_HANDLE_VALUE) return {};
        std::u16string name;
        PROCESSENTRY32W entry{};
        entry.dwSize = sizeof entry;
        for (BOOL more = Process32FirstW(snapshot, &entry); more;
             more = Process32NextW(snapshot, &entry)) {
            if (entry.th32ProcessID == processId) {
                name = FromWide(entry.szExeFile);
                break;
            }
        }
        CloseHandle(snapshot);
        return name;
    }

  private:
    HWND window_;
};

// SetCoalescableTimer is Windows 8's: looked up at run time, so the program
// still starts on 7, where a plain timer does. user32 is loaded already.
UINT_PTR StartTimer(UINT_PTR replaced, UINT ms, TIMERPROC proc) {
    using SetCoalescableTimerFn = UINT_PTR(WINAPI*)(HWND, UINT_PTR, UINT, TIMERPROC, ULONG);
    static const auto setCoalescable =
        reinterpret_cast<SetCoalescableTimerFn>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetCoalescableTimer")));
    // Half the period late is as good as on time: the system may then wake
    // once for this and other timers together.
    if (setCoalescable) {
        if (const UINT_PTR id = setCoalescable(nullptr, replaced, ms, proc, ms / 2)) return id;
    }
    return SetTimer(nullptr, replaced, ms, proc);
}

class SystemForegroundWatch;
// The hook's procedure has no context of its own; one watch runs at a time.
SystemForegroundWatch* gWatch = nullptr;

class SystemForegroundWatch final : public ForegroundWatch {
  public:
    SystemForegroundWatch(ForegroundNeed need,
                          std::function<void(const ForegroundProgram&)> onChange)
        : need_(need), onChange_(std::move(onChange)) {
        gWatch = this;
        hook_ = SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr,
                                &SystemForegroundWatch::OnEvent, 0, 0, WINEVENT_OUTOFCONTEXT);
        // Wine 8 raises no foreground event out of context, and a hook can
        // miss one while the desktop switches: until the hook has spoken,
        // a look four times a second; a look costs one call when nothing
        // changed.
        timer_ = StartTimer(0, kFirstLookMs, &SystemForegroundWatch::OnTimer);
    }
    ~SystemForegroundWatch() override {
        if (timer_) KillTimer(nullptr, timer_);
        if (hook_) UnhookWinEvent(hook_);
        gWatch = nullptr;
    }
    ForegroundProgram Current() override {
        const HWND window = GetForegroundWindow();
        const ForegroundProgram program =
            ProgramOf(window, need_.fullScreen && FillsItsMonitor(window));
        last_ = window;
        lastFull_ = program.fullScreen;
        lastName_ = program.fileName;
        framePending_ = IsFrameHost(program.fileName);
        return program;
    }

  private:
    static void CALLBACK OnEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG, LONG, DWORD,
                                 DWORD) {
        // Delivered from this thread's message loop, modal loops included;
        // the core leaves the registrations alone while an edit is open.
        if (!gWatch || event != EVENT_SYSTEM_FOREGROUND) return;
        gWatch->HookSpoke();
        gWatch->Follow(window);
    }
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
        if (gWatch) gWatch->Follow(GetForegroundWindow());
    }
    // The hook works here: the look is left for what it cannot tell (a
    // window going full screen) and for a missed event, once a second.
    void HookSpoke() {
        if (hookSpoke_) return;
        hookSpoke_ = true;
        if (!timer_) return;
        if (const UINT_PTR id = StartTimer(timer_, kLaterLookMs, &SystemForegroundWatch::OnTimer))
            timer_ = id;
    }
    // A window that goes full screen in front (a film's double click) is a
    // change as well.
    void Follow(HWND window) {
        const bool full = need_.fullScreen && FillsItsMonitor(window);
        const bool same = window == last_ && full == lastFull_;
        if (same && !framePending_) return;
        last_ = window;
        lastFull_ = full;
        const ForegroundProgram program = ProgramOf(window, full);
        // A store app's frame comes in front before the app's window is put
        // into it: it is asked again at each look until it names the app.
        framePending_ = IsFrameHost(program.fileName);
        if (same && program.fileName == lastName_) return;
        lastName_ = program.fileName;
        onChange_(program);
    }
    ForegroundProgram ProgramOf(HWND window, bool full) const {
        ForegroundProgram program;
        program.fullScreen = full;
        if (window && need_.program) {
            SystemProcessFacts facts(window);
            program.fileName = ProgramInFrontName(facts);
        }
        return program;
    }

    static constexpr UINT kFirstLookMs = 250;
    static constexpr UINT kLaterLookMs = 1000;
    ForegroundNeed need_;
    std::function<void(const ForegroundProgram&)> onChange_;
    HWINEVENTHOOK hook_ = nullptr;
    UINT_PTR timer_ = 0;
    // What was last reported (Current's answer included); nothing yet, so
    // the first look reports unless Current came first.
    HWND last_ = nullptr;
    bool lastFull_ = false;
    std::u16string lastName_;
    bool framePending_ = false;
    bool hookSpoke_ = false;
};

} // namespace

std::unique_ptr<ForegroundWatch>
MakeSystemForegroundWatch(ForegroundNeed need,
                          std::function<void(const ForegroundProgram&)> onChange) {
    return std::make_unique<SystemForegroundWatch>(need, std::move(onChange));
}

} // namespace keyvane

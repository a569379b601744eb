// The window in front on Windows: an out-of-context event hook tells of
// every change, on this thread's message loop, and the process behind the
// window is asked for its program file with the least access there is, which
// elevated and protected processes grant too.
#include "app/ForegroundWatch.h"

#include "actions/ProgramActions.h"

#include <windows.h>

namespace keyvane {
namespace {

bool IsDesktop(HWND window) {
    if (window == GetShellWindow() || window == GetDesktopWindow()) return true;
    wchar_t name[16] = {};
    GetClassNameW(window, name, 16);
    return lstrcmpW(name, L"Progman") == 0 || lstrcmpW(name, L"WorkerW") == 0;
}

// Covers the whole of its monitor, taskbar included: a maximized window
// stops at the work area and does not count.
bool FillsItsMonitor(HWND window) {
    if (IsDesktop(window) || IsIconic(window)) return false;
    RECT rect{};
    if (!GetWindowRect(window, &rect)) return false;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor))
        return false;
    return rect.left <= monitor.rcMonitor.left && rect.top <= monitor.rcMonitor.top &&
           rect.right >= monitor.rcMonitor.right && rect.bottom >= monitor.rcMonitor.bottom;
}

ForegroundProgram ProgramOf(HWND window) {
    ForegroundProgram program;
    if (!window) return program;
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    program.fileName = std::u16string(FileNamePart(ProcessImagePath(processId)));
    program.fullScreen = FillsItsMonitor(window);
    return program;
}

class SystemForegroundWatch;
// The hook's procedure has no context of its own; one watch runs at a time.
SystemForegroundWatch* gWatch = nullptr;

class SystemForegroundWatch final : public ForegroundWatch {
  public:
    explicit SystemForegroundWatch(std::function<void(const ForegroundProgram&)> onChange)
        : onChange_(std::move(onChange)) {
        gWatch = this;
        last_ = GetForegroundWindow();
        lastFull_ = last_ && FillsItsMonitor(last_);
        hook_ = SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr,
                                &SystemForegroundWatch::OnEvent, 0, 0, WINEVENT_OUTOFCONTEXT);
        // Wine 8 raises no foreground event out of context, and a hook can
        // miss one while the desktop switches: a look at the window in front
        // four times a second costs one call when nothing changed.
        timer_ = SetTimer(nullptr, 0, kLookMs, &SystemForegroundWatch::OnTimer);
    }
    ~SystemForegroundWatch() override {
        if (timer_) KillTimer(nullptr, timer_);
        if (hook_) UnhookWinEvent(hook_);
        gWatch = nullptr;
    }
    ForegroundProgram Current() override { return ProgramOf(GetForegroundWindow()); }

  private:
    static void CALLBACK OnEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG, LONG, DWORD,
                                 DWORD) {
        // Delivered from this thread's message loop, modal loops included;
        // the core leaves the registrations alone while an edit is open.
        if (gWatch && event == EVENT_SYSTEM_FOREGROUND) gWatch->Follow(window);
    }
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
        if (gWatch) gWatch->Follow(GetForegroundWindow());
    }
    // A window that goes full screen in front (a film's double click) is a
    // change as well.
    void Follow(HWND window) {
        const bool full = window && FillsItsMonitor(window);
        if (window == last_ && full == lastFull_) return;
        last_ = window;
        lastFull_ = full;
        onChange_(ProgramOf(window));
    }

    static constexpr UINT kLookMs = 250;
    std::function<void(const ForegroundProgram&)> onChange_;
    HWINEVENTHOOK hook_ = nullptr;
    UINT_PTR timer_ = 0;
    HWND last_ = nullptr;
    bool lastFull_ = false;
};

} // namespace

std::unique_ptr<ForegroundWatch>
MakeSystemForegroundWatch(std::function<void(const ForegroundProgram&)> onChange) {
    return std::make_unique<SystemForegroundWatch>(std::move(onChange));
}

} // namespace keyvane

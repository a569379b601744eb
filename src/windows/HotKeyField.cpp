#include "windows/HotKeyField.h"

#include "base/SystemLibrary.h"
#include "base/WinText.h"

#include <commctrl.h>

#include <algorithm>
#include <tuple>
#include <vector>

namespace keyvane {
namespace {

// Posted to the field by the hook thread, and by the field to itself.
constexpr UINT kPressedMessage = WM_APP + 20;

// A key press that reaches the field this long after the hook was set did
// not pass the hook: presses queued while it was being set may still come.
constexpr LONG kHookSettleMs = 250;

// The extra information of the presses the hook replays, so the field knows
// them from presses that bypassed the hook.
constexpr ULONG_PTR kReplayTag = 0x4B56524B;

// The keys the system holds now, as the hook names them (either side) or as
// the field's key messages do.
std::vector<unsigned> HeldBySystem(bool sides) {
    static constexpr unsigned kSides[] = {VK_LSHIFT, VK_RSHIFT, VK_LCONTROL, VK_RCONTROL,
                                          VK_LMENU,  VK_RMENU,  VK_LWIN,     VK_RWIN};
    static constexpr unsigned kGeneric[] = {VK_SHIFT, VK_CONTROL, VK_MENU, VK_LWIN, VK_RWIN};
    std::vector<unsigned> held;
    if (sides) {
        for (unsigned key : kSides)
            if (GetAsyncKeyState(static_cast<int>(key)) & 0x8000) held.push_back(key);
    } else {
        // The window thread's state, which follows the messages it has read.
        for (unsigned key : kGeneric)
            if (GetKeyState(static_cast<int>(key)) & 0x8000) held.push_back(key);
    }
    return held;
}

struct HookStart {
    HWND edit;
    DWORD fieldThread;
    HANDLE ready;
    const std::vector<HotKeyCode>* ownShortcuts;
    bool hooked = false;
};

// The hook thread's own state; only its thread touches it.
struct HookSession {
    HWND edit;
    DWORD fieldThread;
    HotKeyCapture capture;
};
thread_local HookSession* tSession = nullptr;

// The field may have its thread's focus while Windows keeps its window
// behind (the foreground was refused): keys then go to the program in
// front, and the hook must leave them alone.
FieldPlace PlaceOf(const HookSession& session) {
    FieldPlace place;
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    place.focused = GetGUIThreadInfo(session.fieldThread, &gui) && gui.hwndFocus == session.edit;
    const HWND front = GetForegroundWindow();
    place.inFront = front && front == GetAncestor(session.edit, GA_ROOT);
    return place;
}

// An unassigned key's press and release: the system then saw a key between
// a held Alt or Win (or Ctrl+Shift) going down and up, so the release opens
// no menu, no Start menu and switches no layout.
void SendMaskKey() {
    INPUT inputs[2] = {};
    for (INPUT& in : inputs) {
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = static_cast<WORD>(kMaskKey);
    }
    inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, inputs, sizeof(INPUT));
}

// Presses of modifiers the hook took, then of the key, in order: the system
// then sees the combination as pressed. Their releases are the user's own.
void SendReplay(const KeyVerdict& verdict) {
    INPUT inputs[std::tuple_size_v<decltype(verdict.replay)>] = {};
    UINT count = 0;
    for (std::uint8_t key : verdict.replay) {
        if (key == 0) break;
        INPUT& in = inputs[count++];
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = key;
        in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
        in.ki.dwExtraInfo = kReplayTag;
        const bool extended =
            key == VK_RMENU || key == VK_RCONTROL || key == VK_LWIN || key == VK_RWIN;
        if (extended) in.ki.dwFlags = KEYEVENTF_EXTENDEDKEY;
    }
    if (count == 0) return;
    if (verdict.replayExtended) inputs[count - 1].ki.dwFlags = KEYEVENTF_EXTENDEDKEY;
    SendInput(count, inputs, sizeof(INPUT));
}

LRESULT CALLBACK HookProc(int code, WPARAM wParam, LPARAM lParam) {
    HookSession* session = tSession;
    if (code == HC_ACTION && session) {
        const auto* info = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        const bool down = wParam == WM_KEYDOWN || wParam == WM_SYSKEYDOWN;
        const KeyVerdict verdict = session->capture.OnHookKey(
            info->vkCode, (info->flags & LLKHF_EXTENDED) != 0, down, PlaceOf(*session));
        if (verdict.decision == KeyDecision::SwallowAndMask) SendMaskKey();
        if (verdict.decision == KeyDecision::SwallowAndReplay) SendReplay(verdict);
        if (verdict.captured) PostMessageW(session->edit, kPressedMessage, verdict.captured, 0);
        if (verdict.decision != KeyDecision::Pass) return 1;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

DWORD WINAPI HookThread(void* param) {
    auto* start = static_cast<HookStart*>(param);
    MSG msg;
    // The thread's queue, so the field's WM_QUIT can reach it.
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
    HHOOK hook = SetWindowsHookExW(WH_KEYBOARD_LL, &HookProc, GetModuleHandleW(nullptr), 0);
    // Read after the hook is set: a key that goes down later is seen by it.
    const std::vector<unsigned> held = HeldBySystem(true);
    HookSession session{start->edit, start->fieldThread, HotKeyCapture(held, *start->ownShortcuts)};
    tSession = &session;
    start->hooked = hook != nullptr;
    SetEvent(start->ready); // start is the field's: not touched again
    if (!hook) return 0;
    // The hook is called from inside GetMessageW.
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    }
    UnhookWindowsHookEx(hook);
    tSession = nullptr;
    return 0;
}

// Session notifications come from wtsapi32, loaded here only and from the
// system folder; without it a lock is still noticed by Win+L itself.
void RegisterForSessionChanges(HWND window, bool on) {
    constexpr DWORD kNotifyForThisSession = 0;
    if (on) {
        if (auto* call = SystemFunction<BOOL WINAPI(HWND, DWORD)>(L"wtsapi32.dll",
                                                                  "WTSRegisterSessionNotification"))
            call(window, kNotifyForThisSession);
    } else if (auto* call = SystemFunction<BOOL WINAPI(HWND)>(L"wtsapi32.dll",
                                                              "WTSUnRegisterSessionNotification")) {
        call(window);
    }
}

} // namespace

HotKeyField::HotKeyField(HWND edit, const HotKeyNames& names,
                         std::function<void(HotKeyCode)> onPress,
                         std::vector<HotKeyCode> ownShortcuts)
    : edit_(edit), names_(names), onPress_(std::move(onPress)),
      ownShortcuts_(std::move(ownShortcuts)) {
    SetWindowSubclass(edit_, &HotKeyField::SubclassProc, 0, reinterpret_cast<DWORD_PTR>(this));
    RegisterForSessionChanges(edit_, true);
    SetValue(0);
}

HotKeyField::~HotKeyField() {
    StopCapture();
    RegisterForSessionChanges(edit_, false);
    RemoveWindowSubclass(edit_, &HotKeyField::SubclassProc, 0);
}

void HotKeyField::SetValue(HotKeyCode code) {
    value_ = code;
    const std::u16string text = code == 0 ? u"None" : HotKeyCodeToText(names_, code);
    SetWindowTextW(edit_, W(text));
}

void HotKeyField::StartCapture() {
    // Each focus starts afresh: nothing is held from an earlier one.
    StopCapture();
    HookStart start{edit_, GetCurrentThreadId(), CreateEventW(nullptr, TRUE, FALSE, nullptr),
                    &ownShortcuts_};
    if (start.ready) {
        DWORD id = 0;
        hookThread_ = CreateThread(nullptr, 0, &HookThread, &start, 0, &id);
        if (hookThread_) {
            const HANDLE waits[] = {start.ready, hookThread_};
            WaitForMultipleObjects(2, waits, FALSE, INFINITE);
            hookThreadId_ = id;
            hookedAt_ = GetTickCount();
        }
        CloseHandle(start.ready);
    }
    if (!start.hooked) {
        // Without the hook the field still takes the keys that reach it.
        StopCapture();
        own_.emplace(HeldBySystem(false), ownShortcuts_);
    }
}

void HotKeyField::StopCapture() {
    own_.reset();
    if (!hookThread_) return;
    // The thread only waits in its message loop, so it ends at once.
    PostThreadMessageW(hookThreadId_, WM_QUIT, 0, 0);
    WaitForSingleObject(hookThread_, INFINITE);
    CloseHandle(hookThread_);
    hookThread_ = nullptr;
}

void HotKeyField::TakeOwnKey(UINT message, WPARAM wParam, LPARAM lParam) {
    const unsigned key = static_cast<unsigned>(wParam) & 0xFF;
    const bool down = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
    if (hookThread_ && down && GetMessageExtraInfo() != static_cast<LPARAM>(kReplayTag) &&
        !PassedOn(message, wParam) && OnlyWithoutHook(key, (lParam & (1 << 30)) != 0) &&
        static_cast<LONG>(static_cast<DWORD>(GetMessageTime()) - hookedAt_) > kHookSettleMs) {
        // The hook would have taken this press: Windows removed it without
        // telling (Windows 7 and later do so with a late hook).
        StopCapture();
        own_.emplace(HeldBySystem(false), ownShortcuts_);
    }
    if (!own_) return;
    const KeyVerdict verdict = own_->OnKey(key, (lParam & (1 << 24)) != 0, down);
    if (verdict.captured) PostMessageW(edit_, kPressedMessage, verdict.captured, 0);
}

bool HotKeyField::PassedOn(UINT message, WPARAM wParam) const {
    unsigned key = static_cast<unsigned>(wParam) & 0xFF;
    if (message == WM_SYSCHAR) {
        // Alt+Space opens the window menu from its character.
        if (wParam != L' ') return false;
        key = VK_SPACE;
    }
    HotKeyCode code = key;
    if (GetKeyState(VK_SHIFT) & 0x8000) code |= kShiftBit;
    if (GetKeyState(VK_CONTROL) & 0x8000) code |= kCtrlBit;
    if (GetKeyState(VK_MENU) & 0x8000) code |= kAltBit;
    if ((GetKeyState(VK_LWIN) | GetKeyState(VK_RWIN)) & 0x8000) code |= kWinBit;
    return WindowsNeeds(code) ||
           std::find(ownShortcuts_.begin(), ownShortcuts_.end(), code) != ownShortcuts_.end();
}

LRESULT CALLBACK HotKeyField::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                           UINT_PTR, DWORD_PTR self) {
    (void)window;
    return reinterpret_cast<HotKeyField*>(self)->HandleMessage(message, wParam, lParam);
}

LRESULT HotKeyField::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SETFOCUS:
        StartCapture();
        break;
    case WM_KILLFOCUS:
    case WM_DESTROY:
        StopCapture();
        break;
    case WM_WTSSESSION_CHANGE:
        // The keys held when the session was locked are released on the lock
        // screen, where the hook sees nothing: start again with none held.
        if ((wParam == WTS_SESSION_LOCK || wParam == WTS_CONSOLE_DISCONNECT ||
             wParam == WTS_REMOTE_DISCONNECT) &&
            GetFocus() == edit_)
            StartCapture();
        return 0;
    case kPressedMessage:
        if (onPress_) onPress_(static_cast<HotKeyCode>(wParam));
        return 0;
    case HKM_SETHOTKEY:
        if (onPress_) onPress_(HotKeyFieldFromControl(static_cast<std::uint16_t>(wParam)));
        return 0;
    case HKM_GETHOTKEY:
        return HotKeyControlFromField(static_cast<std::uint16_t>(value_ & 0xFFFF));
    case WM_GETDLGCODE:
        // The arrows and characters are hotkeys here, not the dialog's moves.
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP:
        TakeOwnKey(message, wParam, lParam);
        // Not the field's: the default handling closes the window on Alt+F4.
        if ((message == WM_KEYDOWN || message == WM_SYSKEYDOWN) && PassedOn(message, wParam))
            return DefSubclassProc(edit_, message, wParam, lParam);
        // The mask key goes on to the default handling, which then knows a
        // key came between Alt's press and release and opens no menu.
        if ((wParam & 0xFF) == kMaskKey) return DefWindowProcW(edit_, message, wParam, lParam);
        return 0;
    case WM_SYSCHAR:
        if (PassedOn(message, wParam)) return DefSubclassProc(edit_, message, wParam, lParam);
        return 0;
    case WM_CHAR:
    case WM_CONTEXTMENU:
    case WM_PASTE:
        return 0;
    default:
        break;
    }
    return DefSubclassProc(edit_, message, wParam, lParam);
}

} // namespace keyvane

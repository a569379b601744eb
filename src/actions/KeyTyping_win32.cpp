// The typing on Windows: SendInput, GetAsyncKeyState, the window in front and
// the integrity level of its process, and the thread timer that steps the
// typer on the user-interface thread.
#include "actions/KeyTyping.h"

#include "base/SystemLibrary.h"

#include <windows.h>

#include <vector>

namespace keyvane {

namespace {

bool OwnProcess(HWND window) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    return process == GetCurrentProcessId();
}

// The mandatory label's level (0x2000 medium, 0x3000 high); none when the
// token cannot be read or the system keeps no levels.
std::optional<std::uint32_t> IntegrityLevel(HANDLE process) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(process, TOKEN_QUERY, &token)) return std::nullopt;
    std::optional<std::uint32_t> level;
    DWORD size = 0;
    GetTokenInformation(token, TokenIntegrityLevel, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    if (size >= sizeof(TOKEN_MANDATORY_LABEL) &&
        GetTokenInformation(token, TokenIntegrityLevel, buffer.data(), size, &size)) {
        PSID sid = reinterpret_cast<TOKEN_MANDATORY_LABEL*>(buffer.data())->Label.Sid;
        const UCHAR count = *GetSidSubAuthorityCount(sid);
        if (count > 0) level = *GetSidSubAuthority(sid, count - 1u);
    }
    CloseHandle(token);
    return level;
}

// A window the user could have been typing in: shown on this desktop, not
// minimized, not a tool window or one that refuses activation, and not the
// desktop or the taskbar.
bool TypingCandidate(HWND window) {
    if (!IsWindowVisible(window) || IsIconic(window) || OwnProcess(window) || IsCloaked(window))
        return false;
    const LONG_PTR exStyle = GetWindowLongPtrW(window, GWL_EXSTYLE);
    if (exStyle & (WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE)) return false;
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    for (const wchar_t* shell :
         {L"Shell_TrayWnd", L"Shell_SecondaryTrayWnd", L"Progman", L"WorkerW"})
        if (lstrcmpiW(className, shell) == 0) return false;
    return true;
}

class SystemTypingPort final : public TypingPort {
  public:
    std::uint64_t NowMs() const override { return GetTickCount64(); }
    // GetAsyncKeyState: the key's state now, not the calling thread's view
    // of the queue, which lags behind the user's hand.
    bool KeyDown(std::uint8_t vk) const override { return (GetAsyncKeyState(vk) & 0x8000) != 0; }
    std::uintptr_t Foreground() const override {
        return reinterpret_cast<std::uintptr_t>(GetForegroundWindow());
    }
    bool IsOwnWindow(std::uintptr_t window) const override {
        return OwnProcess(reinterpret_cast<HWND>(window));
    }
    std::uintptr_t WindowBeforeOwn() const override {
        // Below our window in the z-order: the window that was in front
        // before ours came up. Windows that stay on top of everything sit
        // above ours and are passed over.
        HWND ours = GetForegroundWindow();
        if (!ours) return 0;
        ours = GetAncestor(ours, GA_ROOTOWNER);
        for (HWND window = GetWindow(ours, GW_HWNDNEXT); window;
             window = GetWindow(window, GW_HWNDNEXT))
            if (TypingCandidate(window)) return reinterpret_cast<std::uintptr_t>(window);
        return 0;
    }
    void BringToFront(std::uintptr_t window) override {
        // Ours is in front, so the system lets it hand the foreground on.
        SetForegroundWindow(reinterpret_cast<HWND>(window));
    }
    bool RunsAboveUs(std::uintptr_t window) const override {
        // SendInput neither fails nor sets an error when the integrity level
        // blocks it: the input is simply dropped, so ask first.
        DWORD processId = 0;
        GetWindowThreadProcessId(reinterpret_cast<HWND>(window), &processId);
        std::optional<std::uint32_t> theirs;
        if (HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId)) {
            theirs = IntegrityLevel(process);
            CloseHandle(process);
        }
        return OutranksUs(IntegrityLevel(GetCurrentProcess()), theirs);
    }
    std::size_t Send(std::span<const KeyEvent> events) override {
        std::vector<INPUT> inputs(events.size());
        for (std::size_t i = 0; i < events.size(); ++i) {
            const KeyEvent& event = events[i];
            KEYBDINPUT& key = inputs[i].ki;
            inputs[i].type = INPUT_KEYBOARD;
            if (event.unit != 0) {
                key.wScan = event.unit;
                key.dwFlags = KEYEVENTF_UNICODE;
            } else {
                key.wVk = event.vk;
                key.wScan = static_cast<WORD>(MapVirtualKeyW(event.vk, MAPVK_VK_TO_VSC));
                if (event.extended) key.dwFlags |= KEYEVENTF_EXTENDEDKEY;
            }
            if (event.up) key.dwFlags |= KEYEVENTF_KEYUP;
        }
        if (inputs.empty()) return 0;
        return SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    }
};

class SystemTypist;
SystemTypist* runningTypist = nullptr; // the one the thread timer steps

class SystemTypist final : public Typist {
  public:
    explicit SystemTypist(std::function<void(std::u16string)> told)
        : typer_(port_, std::move(told)) {
        runningTypist = this;
    }
    ~SystemTypist() override {
        if (timer_) KillTimer(nullptr, timer_);
        if (runningTypist == this) runningTypist = nullptr;
    }

    void Type(KeyInput input, std::u16string label) override {
        typer_.Start(std::move(input), std::move(label));
        // The first step at once, within the press: a Win key the user lets
        // go of right after it is masked before its release.
        if (!timer_)
            if (const std::optional<int> next = typer_.Step()) Schedule(*next);
    }

  private:
    void Schedule(int ms) {
        // A thread timer: its WM_TIMER reaches OnTimer through every message
        // loop of this thread, a dialog's or a message box's included.
        timer_ = SetTimer(nullptr, 0, static_cast<UINT>(ms < 0 ? 0 : ms), &OnTimer);
    }
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        SystemTypist* typist = runningTypist;
        if (!typist || typist->timer_ != id) return;
        typist->timer_ = 0;
        if (const std::optional<int> next = typist->typer_.Step()) typist->Schedule(*next);
    }

    SystemTypingPort port_;
    KeyTyper typer_;
    UINT_PTR timer_ = 0;
};

} // namespace

std::unique_ptr<Typist> MakeSystemTypist(std::function<void(std::u16string)> told) {
    return std::make_unique<SystemTypist>(std::move(told));
}

} // namespace keyvane

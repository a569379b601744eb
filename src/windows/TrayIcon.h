// The notification-area icon of the main window: tooltip "Keyvane" (while
// the hotkeys are paused a grey picture with a pause mark and "Keyvane
// (paused)"), callback message 1025. A shell that is slow at log-on refuses the first
// add, and an Explorer restart forgets every icon, so both are retried.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string_view>

namespace keyvane {

class TrayIcon {
  public:
    TrayIcon() = default;
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;
    ~TrayIcon();

    static constexpr UINT kCallbackMessage = WM_USER + 1; // 1025
    static constexpr UINT kIconId = 1;

    // window receives the callback message and the retry timer.
    void Add(HWND window, HICON icon);
    // Removes it with a record filled afresh; failures are ignored.
    void Remove();

    // Shows whether the hotkeys are paused: the picture and the tooltip.
    void SetPaused(bool paused);

    // A balloon from the icon, with a warning sign and the application's
    // title; nothing waits for the user to read it. The text is cut to what
    // the balloon holds. False when the icon is not in the tray to show it.
    bool ShowNotice(std::wstring_view text);

    // Give these messages to the tray; true when it took them.
    bool HandleMessage(UINT message, WPARAM wParam);

  private:
    NOTIFYICONDATAW Record() const;
    bool TryAdd();

    HWND window_ = nullptr;
    HICON icon_ = nullptr;
    HICON pausedIcon_ = nullptr; // made from icon_ when first paused; ours
    bool paused_ = false;
    bool added_ = false;
    bool wanted_ = false;
    int retriesLeft_ = 0;
    UINT taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
};

} // namespace keyvane

#include "windows/TrayIcon.h"

#include "base/AppInfo.h"
#include "base/WinText.h"

#include <shellapi.h>

#include <algorithm>
#include <string>

namespace keyvane {
namespace {
constexpr UINT_PTR kRetryTimer = 0x4B56; // the main window's only timer
constexpr UINT kRetryMs = 2000;
constexpr int kRetries = 30; // about a minute
} // namespace

NOTIFYICONDATAW TrayIcon::Record() const {
    NOTIFYICONDATAW record{};
    record.cbSize = sizeof record;
    record.hWnd = window_;
    record.uID = kIconId;
    record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    record.uCallbackMessage = kCallbackMessage;
    record.hIcon = icon_;
    const std::wstring tip = ToWide(kApplicationTitle);
    std::copy_n(tip.c_str(), std::min<std::size_t>(tip.size(), std::size(record.szTip) - 1),
                record.szTip);
    return record;
}

bool TrayIcon::TryAdd() {
    NOTIFYICONDATAW record = Record();
    added_ = Shell_NotifyIconW(NIM_ADD, &record) != FALSE;
    return added_;
}

void TrayIcon::Add(HWND window, HICON icon) {
    window_ = window;
    icon_ = icon;
    wanted_ = true;
    if (TryAdd()) return;
    retriesLeft_ = kRetries;
    SetTimer(window_, kRetryTimer, kRetryMs, nullptr);
}

void TrayIcon::Remove() {
    wanted_ = false;
    if (window_) KillTimer(window_, kRetryTimer);
    NOTIFYICONDATAW record = Record();
    Shell_NotifyIconW(NIM_DELETE, &record);
    added_ = false;
}

bool TrayIcon::HandleMessage(UINT message, WPARAM wParam) {
    if (message == WM_TIMER && wParam == kRetryTimer) {
        if (!wanted_ || TryAdd() || --retriesLeft_ <= 0) KillTimer(window_, kRetryTimer);
        return true;
    }
    if (taskbarCreated_ && message == taskbarCreated_) {
        // A new shell knows no icons: add ours again.
        if (wanted_) {
            added_ = false;
            if (!TryAdd()) {
                retriesLeft_ = kRetries;
                SetTimer(window_, kRetryTimer, kRetryMs, nullptr);
            }
        }
        return true;
    }
    return false;
}

} // namespace keyvane

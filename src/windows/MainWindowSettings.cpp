// The main window as the option files see it: applying what they hold
// (before the pages exist, into the remembered options), reading it back
// for a save, and keeping the window on a screen.
#include "windows/MainWindow.h"

#include "base/AppInfo.h"
#include "base/WinText.h"
#include "windows/MainPages.h"
#include "windows/ModalLoop.h"
#include "windows/resource.h"

#include <vector>

namespace keyvane {

SettingsValues MainWindow::CurrentOptions() const {
    SettingsValues values = options_;
    values.pauseHotKey = core_.pauseHotKey();
    if (!pages_) return values;
    values.autoStart = pages_->Option(IDC_MAIN_AUTOSTART);
    values.trayOnly = pages_->Option(IDC_MAIN_TRAY_ONLY);
    values.pauseFullScreen = pages_->Option(IDC_MAIN_PAUSE_FULL_SCREEN);
    for (int c = 0; c < kStoredColumnCount; ++c)
        values.columnWidths[static_cast<std::size_t>(c)] = pages_->tasks().grid().ColumnWidth(c);
    return values;
}

WindowSizeValues MainWindow::CurrentWindowSize() const {
    WindowSizeValues size;
    RECT r{};
    GetWindowRect(handle_, &r);
    if (IsIconic(handle_)) {
        // A minimized window's rectangle is off screen; keep where it will
        // come back to (the placement is in work-area coordinates).
        WINDOWPLACEMENT placement{};
        placement.length = sizeof placement;
        GetWindowPlacement(handle_, &placement);
        r = placement.rcNormalPosition;
        MONITORINFO info{};
        info.cbSize = sizeof info;
        if (GetMonitorInfoW(MonitorFromRect(&r, MONITOR_DEFAULTTONEAREST), &info))
            OffsetRect(&r, info.rcWork.left - info.rcMonitor.left,
                       info.rcWork.top - info.rcMonitor.top);
    }
    size.width = r.right - r.left;
    size.height = r.bottom - r.top;
    // A maximize read while the window was hidden waits for the show; it is
    // the state the user left, and must survive this save.
    size.state = IsZoomed(handle_) || maximizeWhenShown_ ? WindowState::Maximized
                 : IsIconic(handle_)                     ? WindowState::Minimized
                                                         : WindowState::Normal;
    size.left = r.left;
    size.top = r.top;
    return size;
}

void MainWindow::KeepReachable() {
    if (IsZoomed(handle_) || IsIconic(handle_)) return;
    std::vector<ScreenRect> areas;
    EnumDisplayMonitors(
        nullptr, nullptr,
        [](HMONITOR monitor, HDC, LPRECT, LPARAM list) -> BOOL {
            MONITORINFO info{};
            info.cbSize = sizeof info;
            if (GetMonitorInfoW(monitor, &info))
                reinterpret_cast<std::vector<ScreenRect>*>(list)->push_back(
                    {info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom});
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&areas));
    RECT r{};
    GetWindowRect(handle_, &r);
    const ScreenRect now{r.left, r.top, r.right, r.bottom};
    const SIZE least = MinimumWindowSize();
    const ScreenRect kept = KeptReachable(now, areas, least.cx, least.cy);
    if (!(kept == now))
        SetWindowPos(handle_, nullptr, kept.left, kept.top, kept.right - kept.left,
                     kept.bottom - kept.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindow::SetAutoStartOption(bool set) {
    options_.autoStart = set;
    if (pages_) pages_->SetOption(IDC_MAIN_AUTOSTART, set);
}

void MainWindow::SetTrayOnlyOption(bool set) {
    options_.trayOnly = set;
    if (pages_) pages_->SetOption(IDC_MAIN_TRAY_ONLY, set);
}

void MainWindow::SetPauseFullScreenOption(bool set) {
    options_.pauseFullScreen = set;
    if (pages_) pages_->SetOption(IDC_MAIN_PAUSE_FULL_SCREEN, set);
    core_.SetPauseWhenFullScreen(set);
}

void MainWindow::SetColumnWidth(int column, int width) {
    if (column < 0 || column >= kStoredColumnCount) return;
    options_.columnWidths[static_cast<std::size_t>(column)] = width;
    if (pages_) pages_->tasks().grid().SetColumnWidth(column, width);
}

void MainWindow::SetPauseHotKey(HotKeyCode code) {
    options_.pauseHotKey = code;
    core_.SetPauseHotKey(code); // the pages hear of it from the core
}

void MainWindow::ShowMainWindow() {
    Pages();
    if (!IsWindowVisible(handle_)) ShowWindow(handle_, SW_SHOW);
    if (maximizeWhenShown_) {
        maximizeWhenShown_ = false;
        ShowWindow(handle_, SW_MAXIMIZE);
    }
}

void MainWindow::SetRestoredSize(int width, int height) {
    if (IsZoomed(handle_)) {
        // The stored size is the one a restore comes back to.
        WINDOWPLACEMENT placement{};
        placement.length = sizeof placement;
        if (!GetWindowPlacement(handle_, &placement)) return;
        RECT& normal = placement.rcNormalPosition;
        if (width >= 0) normal.right = normal.left + width;
        if (height >= 0) normal.bottom = normal.top + height;
        placement.showCmd = SW_SHOWMAXIMIZED;
        SetWindowPlacement(handle_, &placement);
        return;
    }
    RECT r{};
    GetWindowRect(handle_, &r);
    SetWindowPos(handle_, nullptr, 0, 0, width >= 0 ? width : r.right - r.left,
                 height >= 0 ? height : r.bottom - r.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindow::SetWindowWidth(int width) {
    SetRestoredSize(width, -1);
}

void MainWindow::SetWindowHeight(int height) {
    SetRestoredSize(-1, height);
}

void MainWindow::MaximizeWindow() {
    if (IsWindowVisible(handle_))
        ShowWindow(handle_, SW_MAXIMIZE);
    else
        maximizeWhenShown_ = true;
}

void MainWindow::MoveWindowTo(int left, int top) {
    SetWindowPos(handle_, HWND_TOP, left, top, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
}

} // namespace keyvane

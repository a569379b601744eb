// The main window: its creation, the task commands, the tray icon and the
// exit routes.
#include "windows/MainWindow.h"

#include "app/AppPaths.h"
#include "base/AppInfo.h"
#include "base/ErrorReport.h"
#include "base/WinText.h"
#include "windows/AboutBox.h"
#include "windows/MainPages.h"
#include "windows/ModalLoop.h"
#include "windows/Scaling.h"
#include "windows/SingleInstance.h"
#include "windows/resource.h"

#include <commctrl.h>

#include <algorithm>

#include <stdexcept>

namespace keyvane {

MainWindow::MainWindow(HINSTANCE instance, AppCore& core) : instance_(instance), core_(core) {
    const std::wstring className = ToWide(kMainWindowClass);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &MainWindow::WindowProc;
    wc.hInstance = instance;
    // At the sizes the shell asks for at this dpi, scaled down from the
    // largest picture rather than up from the smallest.
    if (FAILED(LoadIconMetric(instance, L"MAINICON", LIM_LARGE, &wc.hIcon)))
        wc.hIcon = LoadIconW(instance, L"MAINICON");
    if (FAILED(LoadIconMetric(instance, L"MAINICON", LIM_SMALL, &wc.hIconSm)))
        wc.hIconSm = wc.hIcon;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = className.c_str();
    if (!RegisterClassExW(&wc))
        throw std::runtime_error("RegisterClassExW failed for the main window");

    // Created hidden, centred on the work area: whether it is shown is for
    // the settings to decide. Its designed size is at the dpi of the screen
    // it lands on, known once it exists.
    HMENU menu = LoadMenuW(instance, MAKEINTRESOURCEW(IDR_MAIN_MENU));
    if (!CreateWindowExW(WS_EX_CONTROLPARENT, className.c_str(), ToWide(kMainWindowCaption).c_str(),
                         WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT,
                         kDesignWindowWidth, kDesignWindowHeight, nullptr, menu, instance, this))
        throw std::runtime_error("CreateWindowExW failed for the main window");
    dpi_ = WindowDpi(handle_);
    options_ = DesignedSettings(dpi_);
    RECT work{0, 0, 1024, 768};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    // Wide enough that every column shows beside a scroll bar (17 pixels
    // and the grid's edges at 96 dpi), as far as the screen allows; a stored
    // size replaces it.
    RECT outer{}, inner{};
    GetWindowRect(handle_, &outer);
    GetClientRect(handle_, &inner);
    const int everyColumn =
        ClientWidthShowingEveryColumn(dpi_, ScalePixels(17, dpi_), ScalePixels(4, dpi_)) +
        (outer.right - outer.left) - inner.right;
    const int width = std::max(ScalePixels(kDesignWindowWidth, dpi_),
                               std::min<int>(everyColumn, work.right - work.left));
    const int height = ScalePixels(kDesignWindowHeight, dpi_);
    SetWindowPos(handle_, nullptr, work.left + (work.right - work.left - width) / 2,
                 work.top + (work.bottom - work.top - height) / 2, width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    trayMenu_ = LoadMenuW(instance, MAKEINTRESOURCEW(IDR_TRAY_MENU));
    SetMenuDefaultItem(GetSubMenu(trayMenu_, 0), IDM_TRAY_SHOW, FALSE); // what a left click does
    tray_.Add(handle_, wc.hIconSm);
    LetMessagesIn();
    // The one road back from the core: what changed goes to the tray and
    // the pages, whoever changed it (a click, a hotkey, a script).
    core_.setChangeListener([this](const CoreChange& change) {
        if (change.pause) tray_.SetPaused(core_.paused());
        if (pages_) pages_->CoreChanged(change);
    });
    core_.AttachOptionsWindow(this);
    core_.setActionFailureListener([this] { PostMessageW(handle_, kActionFailuresMessage, 0, 0); });
    // Told once the loop runs and every window exists, so an exit from the
    // box finds a program that has started.
    PostMessageW(handle_, kStartupReportsMessage, 0, 0);
}

MainWindow::~MainWindow() {
    core_.AttachOptionsWindow(nullptr);
    core_.setChangeListener(nullptr);
    core_.setActionFailureListener(nullptr);
    about_.reset();
    pages_.reset();
    if (handle_) DestroyWindow(handle_);
    if (trayMenu_) DestroyMenu(trayMenu_);
}

SIZE MainWindow::MinimumWindowSize() const {
    ClientSize client;
    if (pages_) {
        client = pages_->MinimumClientSize();
    } else {
        // Not shown yet: the designed buttons and tab strip.
        const int buttons[6] = {};
        client = MinimumClientSize(PageMeasures{WindowDpi(handle_), 0, buttons});
    }
    // The frame, title and menu bar as they are now.
    RECT outer{}, inner{};
    GetWindowRect(handle_, &outer);
    GetClientRect(handle_, &inner);
    return {client.width + (outer.right - outer.left) - inner.right,
            client.height + (outer.bottom - outer.top) - inner.bottom};
}

MainPages& MainWindow::Pages() {
    if (!pages_) {
        pages_ = std::make_unique<MainPages>(instance_, handle_, core_);
        pages_->SetOption(IDC_MAIN_AUTOSTART, options_.autoStart);
        pages_->SetOption(IDC_MAIN_TRAY_ONLY, options_.trayOnly);
        pages_->SetOption(IDC_MAIN_PAUSE_FULL_SCREEN, options_.pauseFullScreen);
        for (int c = 0; c < kStoredColumnCount; ++c)
            pages_->tasks().grid().SetColumnWidth(
                c, options_.columnWidths[static_cast<std::size_t>(c)]);
    }
    return *pages_;
}

bool MainWindow::PreTranslateMessage(MSG& msg) {
    return pages_ && pages_->PreTranslateMessage(msg);
}

void MainWindow::ShowStartupReports() {
    std::u16string text;
    for (const std::u16string& report : core_.TakeStartupReports())
        text += (text.empty() ? u"" : u"\n\n") + report;
    if (!text.empty()) ModalMessageBox(nullptr, W(text), MB_OK | MB_ICONWARNING | MB_SETFOREGROUND);
}

void MainWindow::ShowActionFailures() {
    // A balloon interrupts nobody; a box only when there is no tray icon
    // to show it, since a failure must not go unheard.
    for (const std::u16string& failure : core_.TakeActionFailures())
        if (!tray_.ShowNotice(ToWide(failure)))
            ModalMessageBox(nullptr, W(failure), MB_OK | MB_ICONWARNING);
}

void MainWindow::ShowInFront() {
    ShowMainWindow();
    if (IsIconic(handle_)) ShowWindow(handle_, SW_RESTORE);
    SetForegroundWindow(handle_);
}

bool MainWindow::DeferForModal(UINT message, WPARAM wParam) {
    if (!ModalOpen()) return false;
    // Close the open modal window first and come back once it is gone, so
    // the exit never runs inside its loop.
    CloseOpenModal();
    PostMessageW(handle_, message, wParam, 0);
    return true;
}

void MainWindow::OnExit() {
    if (DeferForModal(WM_CLOSE, 0)) return;
    // Throws when the tasks cannot be saved, and the program stays.
    core_.Exit();
    tray_.Remove();
    DestroyWindow(handle_);
}

void MainWindow::OnAbout() {
    if (FrontOpenModal()) return;
    // Made at each opening, so its font, picture and glyph are at the dpi of
    // the monitor it opens on; it holds nothing worth keeping between uses.
    about_ = std::make_unique<AboutBox>(instance_, handle_);
    about_->ShowModal();
    about_.reset();
}

bool MainWindow::OnActivate(bool active, bool minimized) {
    if (!pages_) return false;
    if (!active) {
        HWND focus = GetFocus();
        if (focus && IsChild(handle_, focus)) lastFocus_ = focus;
        return false;
    }
    if (minimized || !IsWindowVisible(handle_)) return false;
    // A control of the other page, or one greyed meanwhile, cannot have it.
    if (lastFocus_ && IsWindow(lastFocus_) && IsChild(handle_, lastFocus_) &&
        IsWindowVisible(lastFocus_) && IsWindowEnabled(lastFocus_))
        SetFocus(lastFocus_);
    else
        pages_->FocusDefault();
    return true;
}

void MainWindow::OnEndSession(bool ending) {
    // The system may end the process at any moment after this returns, so
    // everything worth keeping is written now. "Log off computer" ends the
    // session this way too.
    if (!ending) return;
    core_.SaveBeforeSessionEnds();
}

bool MainWindow::Command(UINT id) {
    static constexpr struct {
        UINT id;
        void (MainWindow::*handler)();
    } kCommands[] = {
        {IDM_TRAY_EXIT, &MainWindow::OnExit}, // the tray's "Exit"
        {IDM_MAIN_EXIT, &MainWindow::OnExit}, // "File" > "Exit"
        {IDM_TRAY_SHOW, &MainWindow::OnShowFromTray}, {IDM_MAIN_ABOUT, &MainWindow::OnAbout},
        {IDM_TRAY_ABOUT, &MainWindow::OnAbout},       {IDM_EDIT_UNDO, &MainWindow::OnUndo},
        {IDM_EDIT_REDO, &MainWindow::OnRedo},         {IDM_TRAY_PAUSE, &MainWindow::OnPause},
    };
    for (const auto& command : kCommands) {
        if (command.id != id) continue;
        Guarded([&] { (this->*command.handler)(); });
        return true;
    }
    // A task command posted here from outside (a script) is the task
    // page's; before the window was ever shown it builds the pages first.
    if (!TaskPage::IsCommand(id)) return false;
    Guarded([&] { Pages().tasks().Command(id); });
    return true;
}

LRESULT CALLBACK MainWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self =
            static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->handle_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) return DefWindowProcW(window, message, wParam, lParam);
    return self->HandleMessage(message, wParam, lParam);
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (tray_.HandleMessage(message, wParam)) return 0;
    if (message == ShowRunningInstanceMessage() && message != 0) {
        // A plain second start sends 0: show. Another folder's copy is not ours.
        if (static_cast<DWORD>(wParam) != InstanceKey()) return 0;
        return OnCommandLine(DecodeCommand(static_cast<std::uint32_t>(lParam)));
    }
    switch (message) {
    case kStartupReportsMessage:
        Guarded([&] { ShowStartupReports(); });
        return 0;
    case kActionFailuresMessage:
        Guarded([&] { ShowActionFailures(); });
        return 0;
    case kRunTaskMessage:
        Guarded([&] { core_.RunTask(static_cast<int>(wParam)); });
        return 0;
    case WM_ACTIVATE:
        // Only a real focus counts: the tray menu puts the hidden window in
        // front without showing it.
        if (LOWORD(wParam) != WA_INACTIVE && !activatedOnce_ && IsWindowVisible(handle_)) {
            activatedOnce_ = true;
            Guarded([&] { core_.LoadOptionsOnFirstActivation(); });
        }
        // Left to itself, the activation gives the focus to the frame,
        // where no key does anything.
        if (OnActivate(LOWORD(wParam) != WA_INACTIVE, HIWORD(wParam) != 0)) return 0;
        break;
    case WM_SIZE:
        if (pages_) pages_->LayOut();
        return 0;
    case WM_GETMINMAXINFO: {
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        const SIZE least = MinimumWindowSize();
        info->ptMinTrackSize = {least.cx, least.cy};
        return 0;
    }
    case WM_DPICHANGED: {
        // Another screen: everything measured in pixels is made again at
        // its dpi before the window takes the size the system suggests.
        const int oldDpi = dpi_;
        dpi_ = HIWORD(wParam);
        if (pages_) Guarded([&] { pages_->DpiChanged(oldDpi, dpi_); });
        const auto* suggested = reinterpret_cast<const RECT*>(lParam);
        SetWindowPos(handle_, nullptr, suggested->left, suggested->top,
                     suggested->right - suggested->left, suggested->bottom - suggested->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    case WM_COMMAND:
        if (Command(LOWORD(wParam))) return 0;
        break;
    case WM_INITMENUPOPUP:
        Guarded([&] { OnInitMenuPopup(reinterpret_cast<HMENU>(wParam)); });
        return 0;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE) {
            // The title bar's close hides; the program goes on in the tray.
            ShowWindow(handle_, SW_HIDE);
            return 0;
        }
        break;
    case TrayIcon::kCallbackMessage:
        Guarded([&] { OnTrayIcon(static_cast<UINT>(LOWORD(lParam))); });
        return 0;
    case WM_CLOSE:
        Guarded([&] { OnExit(); });
        return 0;
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_ENDSESSION:
        Guarded([&] { OnEndSession(wParam != FALSE); });
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_NCDESTROY: {
        SetWindowLongPtrW(handle_, GWLP_USERDATA, 0);
        const HWND window = handle_;
        handle_ = nullptr;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    default:
        break;
    }
    return DefWindowProcW(handle_, message, wParam, lParam);
}

} // namespace keyvane

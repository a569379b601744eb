// TForm1, the main window: its life from creation to destruction, the two
// pages, the task commands, the tray icon and the exit routes.
#include "windows/MainWindow.h"

#include "windows/AboutBox.h"
#include "app/AppPaths.h"
#include "windows/Scaling.h"
#include "windows/ModalLoop.h"
#include "windows/SingleInstance.h"
#include "windows/TaskIconList.h"
#include "windows/TaskEditorDialog.h"
#include "windows/resource.h"
#include "base/AppInfo.h"
#include "base/ErrorReport.h"
#include "base/WinText.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

namespace keyvane {

std::uint8_t AddMode = 0;

namespace {

constexpr wchar_t kClassName[] = L"TForm1";
// Designed outer size in pixels at 96 dpi.
constexpr int kDesignWidth = 609;
constexpr int kDesignHeight = 449;

constexpr int kHotKeyPage[] = {IDC_MAIN_HOTKEYS_GROUP, IDC_MAIN_GRID, IDC_MAIN_ADD,
                               IDC_MAIN_EDIT,   IDC_MAIN_DELETE,   IDC_MAIN_DELETE_ALL,
                               IDC_MAIN_MOVE_DOWN,   IDC_MAIN_MOVE_UP};
constexpr int kOptionsPage[] = {IDC_MAIN_GENERAL_GROUP, IDC_MAIN_AUTOSTART, IDC_MAIN_TRAY_ONLY,
                                IDC_MAIN_IMPORT_LABEL,    IDC_MAIN_IMPORT,   IDC_MAIN_SAVE};

} // namespace

void EndApplication() {
    PostQuitMessage(0);
}

TForm1::TForm1(HINSTANCE instance, AppCore& core)
    : instance_(instance), core_(core), exePath_(ExecutablePath()),
      settingsPaths_(SettingsPathsFor(exePath_)), autostart_(MakeRegistryAutostartStore()) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &TForm1::WindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, L"MAINICON");
    wc.hIconSm = static_cast<HICON>(LoadImageW(instance, L"MAINICON", IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), 0));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    if (!RegisterClassExW(&wc))
        throw std::runtime_error("RegisterClassExW failed for the main window");

    // Created hidden, centred on the work area: whether it is shown is for
    // the settings to decide.
    const int width = ScaleToDpi(nullptr, kDesignWidth);
    const int height = ScaleToDpi(nullptr, kDesignHeight);
    RECT work{0, 0, 1024, 768};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int left = work.left + (work.right - work.left - width) / 2;
    const int top = work.top + (work.bottom - work.top - height) / 2;
    const std::wstring caption = ToWide(kMainWindowCaption);
    HMENU menu = LoadMenuW(instance, MAKEINTRESOURCEW(IDR_MAIN_MENU));
    if (!CreateWindowExW(WS_EX_CONTROLPARENT, kClassName, caption.c_str(),
                         WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, left, top, width, height, nullptr,
                         menu, instance, this))
        throw std::runtime_error("CreateWindowExW failed for the main window");
    popupMenu_ = LoadMenuW(instance, MAKEINTRESOURCEW(IDR_TRAY_MENU));
    CreatePages();
    Guarded([&] { FormCreate(); });
}

TForm1::~TForm1() {
    if (handle_) DestroyWindow(handle_);
    if (popupMenu_) DestroyMenu(popupMenu_);
}

int TForm1::Scaled(int pixels) const {
    return ScaleToDpi(handle_, pixels);
}

void TForm1::CreatePages() {
    pages_ = CreateDialogParamW(instance_, MAKEINTRESOURCEW(IDD_MAIN_PAGES), handle_, &TForm1::PagesProc,
                                reinterpret_cast<LPARAM>(this));
    if (!pages_) throw std::runtime_error("CreateDialogParamW failed for the main window's pages");
    HWND tabs = GetDlgItem(pages_, IDC_MAIN_TABS);
    const wchar_t* captions[] = {L"HotKey View", L"Options"};
    for (int i = 0; i < 2; ++i) {
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<wchar_t*>(captions[i]);
        TabCtrl_InsertItem(tabs, i, &item);
    }
    // The page control lies under the pages' controls, and the group boxes
    // under the controls they frame.
    SetWindowPos(GetDlgItem(pages_, IDC_MAIN_HOTKEYS_GROUP), HWND_BOTTOM, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetWindowPos(GetDlgItem(pages_, IDC_MAIN_GENERAL_GROUP), HWND_BOTTOM, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetWindowPos(tabs, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    const std::pair<int, int> glyphs[] = {
        {IDC_MAIN_ADD, IDI_ADD},      {IDC_MAIN_EDIT, IDI_EDIT},
        {IDC_MAIN_DELETE, IDI_DELETE},   {IDC_MAIN_DELETE_ALL, IDI_DELETEALL},
        {IDC_MAIN_MOVE_DOWN, IDI_MOVEDOWN}, {IDC_MAIN_MOVE_UP, IDI_MOVEUP},
        {IDC_MAIN_SAVE, IDI_SAVE},     {IDC_MAIN_IMPORT, IDI_IMPORT}};
    for (auto [button, icon] : glyphs)
        SetButtonGlyph(GetDlgItem(pages_, button), instance_, icon);
    CheckDlgButton(pages_, IDC_MAIN_AUTOSTART, BST_CHECKED);
    CheckDlgButton(pages_, IDC_MAIN_TRAY_ONLY, BST_CHECKED);

    TaskGrid::Events events;
    events.click = [this] { Guarded([&] { NextGrid1Click(); }); };
    events.edit = [this] { Guarded([&] { NextGrid1CellDblClick(); }); };
    events.remove = [this] { Guarded([&] { BitBtn3Click(); }); };
    events.toggleEnabled = [this](int row) {
        Guarded([&] {
            core_.ToggleEnabled(row);
            grid_.Refresh();
        });
    };
    grid_.Attach(GetDlgItem(pages_, IDC_MAIN_GRID), core_.tasks(), std::move(events));
    core_.tasks().setChangeListener([this] { grid_.Refresh(); });
    grid_.SetHotKeyMarks([this](int row) {
        switch (HotKeyStateOf(core_.tasks().textCell(Column::Hotkey, row), core_.hotKeyNames(),
                              core_.hotKeys())) {
        case HotKeyState::NotRegistered:
            return TaskGrid::HotKeyMark::Taken;
        case HotKeyState::NotCanonical:
            return TaskGrid::HotKeyMark::NotRecognised;
        default:
            return TaskGrid::HotKeyMark::None;
        }
    });
    ShowPage(0);
    LayOut();
    ShowWindow(pages_, SW_SHOW);
}

void TForm1::ShowPage(int page) {
    page_ = page;
    TabCtrl_SetCurSel(GetDlgItem(pages_, IDC_MAIN_TABS), page);
    for (int id : kHotKeyPage)
        ShowWindow(GetDlgItem(pages_, id), page == 0 ? SW_SHOW : SW_HIDE);
    for (int id : kOptionsPage)
        ShowWindow(GetDlgItem(pages_, id), page == 1 ? SW_SHOW : SW_HIDE);
    // Hidden group boxes leave their frames behind unless all is repainted.
    RedrawWindow(pages_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    // The keyboard focus must not stay on a control of the hidden page.
    HWND focus = GetFocus();
    if (focus && IsChild(pages_, focus) && !IsWindowVisible(focus))
        SetFocus(GetDlgItem(pages_, page == 0 ? IDC_MAIN_GRID : IDC_MAIN_AUTOSTART));
}

void TForm1::LayOut() {
    if (!pages_) return;
    RECT client{};
    GetClientRect(handle_, &client);
    MoveWindow(pages_, 0, 0, client.right, client.bottom, TRUE);
    const int m = Scaled(4);
    // The page control shows only its tabs; the pages' controls stand on
    // the window's own face below them.
    HWND tabs = GetDlgItem(pages_, IDC_MAIN_TABS);
    RECT probe{0, 0, client.right, client.bottom};
    TabCtrl_AdjustRect(tabs, FALSE, &probe);
    const int strip = std::max<int>(probe.top - Scaled(2), Scaled(20));
    MoveWindow(tabs, m, m, client.right - 2 * m, strip, TRUE);
    RECT area{m + Scaled(2), m + strip + Scaled(4), client.right - m - Scaled(2),
              client.bottom - m};
    auto place = [&](int id, int x, int y, int w, int h) {
        MoveWindow(GetDlgItem(pages_, id), x, y, w, h, TRUE);
    };
    const int buttonW = Scaled(85), buttonH = Scaled(28), gap = Scaled(6), pad = Scaled(8);

    // "HotKey View": the group box fills the page; the grid fills the box
    // above a 50-pixel bar of six buttons.
    place(IDC_MAIN_HOTKEYS_GROUP, area.left, area.top, area.right - area.left, area.bottom - area.top);
    const int bar = Scaled(50);
    const int gridTop = area.top + Scaled(18);
    place(IDC_MAIN_GRID, area.left + pad, gridTop, area.right - area.left - 2 * pad,
          area.bottom - bar - gridTop);
    const int buttonsTop = area.bottom - bar + (bar - buttonH) / 2;
    const int buttons[] = {IDC_MAIN_ADD, IDC_MAIN_EDIT, IDC_MAIN_DELETE,
                           IDC_MAIN_DELETE_ALL, IDC_MAIN_MOVE_DOWN, IDC_MAIN_MOVE_UP};
    int x = area.left + pad;
    for (int id : buttons) {
        place(id, x, buttonsTop, buttonW, buttonH);
        x += buttonW + gap;
    }

    // "Options": the options' group, the import, and "Save" at the bottom.
    place(IDC_MAIN_GENERAL_GROUP, area.left, area.top,
          std::min<int>(Scaled(320), area.right - area.left), Scaled(76));
    place(IDC_MAIN_AUTOSTART, area.left + Scaled(12), area.top + Scaled(22), Scaled(290),
          Scaled(20));
    place(IDC_MAIN_TRAY_ONLY, area.left + Scaled(12), area.top + Scaled(46), Scaled(290),
          Scaled(20));
    place(IDC_MAIN_IMPORT_LABEL, area.left + Scaled(2), area.top + Scaled(92), Scaled(300), Scaled(16));
    place(IDC_MAIN_IMPORT, area.left + Scaled(2), area.top + Scaled(112), buttonW, buttonH);
    place(IDC_MAIN_SAVE, area.left + Scaled(2), area.bottom - buttonH - Scaled(6), buttonW,
          buttonH);
}

bool TForm1::PreTranslateMessage(const MSG& msg) {
    if (msg.message != WM_KEYDOWN || msg.wParam != VK_TAB || !(GetKeyState(VK_CONTROL) & 0x8000))
        return false;
    if (msg.hwnd != handle_ && !IsChild(handle_, msg.hwnd)) return false;
    ShowPage(1 - page_); // two pages: either direction lands on the other
    return true;
}

void TForm1::TasksChanged() {
    grid_.Refresh();
}

void TForm1::TaskIconsChanged() {
    // The pictures only show in the grid, and taking them out of program
    // files is slow: drawn once the message loop runs, so the hotkeys are
    // registered first. Several changes before then draw once.
    if (iconsPending_) return;
    iconsPending_ = true;
    PostMessageW(handle_, kDrawIconsMessage, 0, 0);
}

void TForm1::DrawTaskIcons() {
    iconsPending_ = false;
    const BuiltInPictures pictures{IDB_REBOOT, IDB_HIBERNATE, IDB_MINIMIZEALL};
    HIMAGELIST icons =
        BuildTaskIconList(instance_, core_.iconPlan(), Scaled(kNewRowHeight), pictures);
    grid_.SetIcons(icons, &core_.iconPlan());
    grid_.Refresh();
}

void TForm1::Close() {
    if (!FormCloseQuery()) return;
    FormClose();
    ShowWindow(handle_, SW_HIDE);
    EndApplication();
}

void TForm1::ShowWindowInFront() {
    ShowMainWindow();
    if (IsIconic(handle_)) ShowWindow(handle_, SW_RESTORE);
    SetForegroundWindow(handle_);
}

UINT TForm1::ShowRunningInstanceMessage() {
    static const UINT message = RegisterWindowMessageW(L"Keyvane.ShowRunningInstance");
    return message;
}

void TForm1::ShowFromSecondStart() {
    if (FrontOpenModal()) return;
    ShowWindowInFront();
}

void TForm1::SetAutoStartOption(bool set) {
    CheckDlgButton(pages_, IDC_MAIN_AUTOSTART, set ? BST_CHECKED : BST_UNCHECKED);
}

void TForm1::SetTrayOnlyOption(bool set) {
    CheckDlgButton(pages_, IDC_MAIN_TRAY_ONLY, set ? BST_CHECKED : BST_UNCHECKED);
}

void TForm1::SetColumnWidth(int column, int width) {
    grid_.SetColumnWidth(column, width);
}

void TForm1::ShowMainWindow() {
    if (!IsWindowVisible(handle_)) ShowWindow(handle_, SW_SHOW);
    if (maximizeWhenShown_) {
        maximizeWhenShown_ = false;
        ShowWindow(handle_, SW_MAXIMIZE);
    }
}

void TForm1::SetWindowWidth(int width) {
    RECT r{};
    GetWindowRect(handle_, &r);
    SetWindowPos(handle_, nullptr, 0, 0, width, r.bottom - r.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm1::SetWindowHeight(int height) {
    RECT r{};
    GetWindowRect(handle_, &r);
    SetWindowPos(handle_, nullptr, 0, 0, r.right - r.left, height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm1::MaximizeWindow() {
    if (IsWindowVisible(handle_))
        ShowWindow(handle_, SW_MAXIMIZE);
    else
        maximizeWhenShown_ = true;
}

void TForm1::MoveWindowTo(int left, int top) {
    SetWindowPos(handle_, HWND_TOP, left, top, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
}

void TForm1::KeepReachable() {
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
    const ScreenRect kept = KeptReachable(now, areas, Scaled(420), Scaled(300));
    if (!(kept == now))
        SetWindowPos(handle_, nullptr, kept.left, kept.top, kept.right - kept.left,
                     kept.bottom - kept.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm1::LoadSettings() {
    // Failures reach the caller: the standard error report shows them, and
    // what was applied before the failure stays.
    keyvane::LoadSettings(settingsPaths_, *this);
    KeepReachable();
}

SaveSettingsResult TForm1::SaveSettings() {
    SettingsValues values;
    values.autoStart = IsDlgButtonChecked(pages_, IDC_MAIN_AUTOSTART) == BST_CHECKED;
    values.trayOnly = IsDlgButtonChecked(pages_, IDC_MAIN_TRAY_ONLY) == BST_CHECKED;
    for (int c = 0; c < kStoredColumnCount; ++c)
        values.columnWidths[static_cast<std::size_t>(c)] = grid_.ColumnWidth(c);

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
    size.state = IsZoomed(handle_)   ? WindowState::Maximized
                 : IsIconic(handle_) ? WindowState::Minimized
                                     : WindowState::Normal;
    size.left = r.left;
    size.top = r.top;
    return keyvane::SaveSettings(values, size, settingsPaths_, *autostart_, exePath_);
}

void TForm1::FormCreate() {
    tray_.Add(handle_, static_cast<HICON>(LoadImageW(instance_, L"MAINICON", IMAGE_ICON,
                                                     GetSystemMetrics(SM_CXSMICON),
                                                     GetSystemMetrics(SM_CYSMICON), 0)));
    LoadSettings();
    SaveSettings();
}

void TForm1::FormActivate() {
    LoadSettings();
}

void TForm1::FormDeactivate() {
    // Runs when another non-modal window of the program takes the focus;
    // every other window of the program is modal, so in practice never.
    core_.SaveTaskList();
}

bool TForm1::FormCloseQuery() {
    return true;
}

void TForm1::FormClose() {
    core_.SaveTaskList();
    tray_.Remove();
    SaveSettings();
}

void TForm1::FormDestroy() {
    core_.SaveTaskList();
    SaveSettings();
}

bool TForm1::DeferExitForModal(UINT command) {
    if (!ModalOpen()) return false;
    // Close the open modal window first and come back once it is gone, so
    // the exit never runs inside its loop.
    CloseOpenModal();
    PostMessageW(handle_, WM_COMMAND, command, 0);
    return true;
}

void TForm1::Exit1Click() {
    if (DeferExitForModal(IDM_TRAY_EXIT)) return;
    SaveSettings();
    Close();
}

void TForm1::Exit2Click() {
    if (DeferExitForModal(IDM_MAIN_EXIT)) return;
    SaveSettings();
    tray_.Remove();
    // The close handlers do not run on this route; FormDestroy still saves.
    ShowWindow(handle_, SW_HIDE);
    EndApplication();
}

void TForm1::File1Click() {
    if (FrontOpenModal()) return;
    ShowWindowInFront();
}

void TForm1::About1Click() {
    if (FrontOpenModal()) return;
    if (form3_) form3_->ShowModal();
}

void TForm1::About2Click() {
    About1Click();
}

void TForm1::BitBtn1Click() {
    form2_->PresetForAdd();
    AddMode = 1;
    form2_->ShowModal();
}

void TForm1::BitBtn2Click() {
    AddMode = 0;
    try {
        form2_->PresetForEdit(PresetForEdit(core_.tasks(), core_.hotKeyNames()));
    } catch (...) {
        // No current row: the editor opens with what it held.
        form2_->KeepFieldsForEdit();
    }
    form2_->ShowModal();
}

void TForm1::BitBtn3Click() {
    core_.DeleteSelectedTasks();
    grid_.Refresh();
}

void TForm1::BitBtn5Click() {
    core_.DeleteAllTasks();
    grid_.Refresh();
}

void TForm1::BitBtn7Click() {
    try {
        core_.MoveCurrentTask(+1);
    } catch (...) {
    }
    grid_.Refresh();
}

void TForm1::BitBtn8Click() {
    try {
        core_.MoveCurrentTask(-1);
    } catch (...) {
    }
    grid_.Refresh();
}

void TForm1::BitBtn4Click() {
    // The exit routes stay silent; "Save" says what it could not keep.
    const std::u16string report = SaveSettingsReportText(SaveSettings());
    if (!report.empty()) ModalMessageBox(handle_, W(report), MB_OK | MB_ICONWARNING);
}

void TForm1::BitBtn6Click() {
    std::u16string path = exePath_; // opens in the program's folder
    const bool chosen = AskOpenFile(handle_, L"Hotkey list\0*.cnfg\0", path);
    if (chosen && !core_.ImportVersion12List(path)) ModalMessageBox(handle_, L"Error!", MB_OK);
    core_.FinishImport();
    grid_.Refresh();
}

void TForm1::NextGrid1Click() {
    core_.SaveTaskList();
}

void TForm1::NextGrid1CellDblClick() {
    BitBtn2Click();
}

void TForm1::TrayIconCallback(UINT mouseMessage) {
    switch (mouseMessage) {
    case WM_LBUTTONDOWN: {
        if (FrontOpenModal()) return;
        ShowMainWindow();
        ShowWindow(handle_, SW_HIDE);
        Sleep(10);
        ShowWindow(handle_, SW_RESTORE);
        SetForegroundWindow(handle_);
        // What is on screen is replaced by the stored size; the position
        // only by the first activation's full load.
        ReapplyWindowSize(settingsPaths_.windowSizeFile, *this);
        KeepReachable();
        break;
    }
    case WM_RBUTTONDOWN: {
        POINT at{};
        GetCursorPos(&at);
        // The menu closes when the user clicks elsewhere only if our window
        // is in front; the hidden window in front is not an activation.
        SetForegroundWindow(handle_);
        TrackPopupMenu(GetSubMenu(popupMenu_, 0), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON,
                       at.x, at.y, 0, handle_, nullptr);
        PostMessageW(handle_, WM_NULL, 0, 0);
        break;
    }
    default:
        break;
    }
}

bool TForm1::QueryEndSession() {
    return true;
}

void TForm1::EndSession(bool ending) {
    // The system may end the process at any moment after this returns, so
    // everything worth keeping is written now. "Log off computer" ends the
    // session this way too.
    if (ending) {
        core_.SaveTaskList();
        SaveSettings();
    }
}

bool TForm1::Command(UINT id) {
    switch (id) {
    case IDM_TRAY_EXIT:
        Guarded([&] { Exit1Click(); });
        return true;
    case IDM_MAIN_EXIT:
        Guarded([&] { Exit2Click(); });
        return true;
    case IDM_TRAY_SHOW:
        Guarded([&] { File1Click(); });
        return true;
    case IDM_MAIN_ABOUT:
        Guarded([&] { About1Click(); });
        return true;
    case IDM_TRAY_ABOUT:
        Guarded([&] { About2Click(); });
        return true;
    case IDC_MAIN_ADD:
        Guarded([&] { BitBtn1Click(); });
        return true;
    case IDC_MAIN_EDIT:
        Guarded([&] { BitBtn2Click(); });
        return true;
    case IDC_MAIN_DELETE:
        Guarded([&] { BitBtn3Click(); });
        return true;
    case IDC_MAIN_DELETE_ALL:
        Guarded([&] { BitBtn5Click(); });
        return true;
    case IDC_MAIN_MOVE_DOWN:
        Guarded([&] { BitBtn7Click(); });
        return true;
    case IDC_MAIN_MOVE_UP:
        Guarded([&] { BitBtn8Click(); });
        return true;
    case IDC_MAIN_SAVE:
        Guarded([&] { BitBtn4Click(); });
        return true;
    case IDC_MAIN_IMPORT:
        Guarded([&] { BitBtn6Click(); });
        return true;
    default:
        return false;
    }
}

LRESULT CALLBACK TForm1::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<TForm1*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->handle_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<TForm1*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) return DefWindowProcW(window, message, wParam, lParam);
    return self->HandleMessage(message, wParam, lParam);
}

INT_PTR CALLBACK TForm1::PagesProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) SetWindowLongPtrW(window, DWLP_USER, lParam);
    auto* self = reinterpret_cast<TForm1*>(GetWindowLongPtrW(window, DWLP_USER));
    return self ? self->HandlePagesMessage(message, wParam, lParam) : FALSE;
}

INT_PTR TForm1::HandlePagesMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return FALSE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            // Enter: in the grid it is Edit; elsewhere the focused button.
            HWND focus = GetFocus();
            if (focus == grid_.handle()) {
                Guarded([&] { BitBtn2Click(); });
            } else if (focus && (SendMessageW(focus, WM_GETDLGCODE, 0, 0) & DLGC_UNDEFPUSHBUTTON)) {
                SendMessageW(focus, BM_CLICK, 0, 0);
            }
            return TRUE;
        }
        if (HIWORD(wParam) == BN_CLICKED && Command(LOWORD(wParam))) return TRUE;
        return FALSE;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header->idFrom == IDC_MAIN_TABS && header->code == TCN_SELCHANGE) {
            ShowPage(TabCtrl_GetCurSel(header->hwndFrom));
            return TRUE;
        }
        if (header->hwndFrom == grid_.handle()) {
            bool handled = false;
            LRESULT result = 0;
            Guarded([&] { result = grid_.HandleNotify(header, handled); });
            if (handled) {
                SetWindowLongPtrW(pages_, DWLP_MSGRESULT, result);
                return TRUE;
            }
        }
        return FALSE;
    }
    default:
        return FALSE;
    }
}

LRESULT TForm1::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (tray_.HandleMessage(message, wParam)) return 0;
    if (message == ShowRunningInstanceMessage() && message != 0) {
        if (static_cast<DWORD>(wParam) == InstanceKey()) Guarded([&] { ShowFromSecondStart(); });
        return 0;
    }
    switch (message) {
    case kDrawIconsMessage:
        Guarded([&] { DrawTaskIcons(); });
        return 0;
    case WM_ACTIVATE:
        // Only a real focus counts: the tray menu puts the hidden window in
        // front without showing it.
        if (LOWORD(wParam) != WA_INACTIVE && !activatedOnce_ && IsWindowVisible(handle_)) {
            activatedOnce_ = true;
            Guarded([&] { FormActivate(); });
        }
        break;
    case WM_SIZE:
        LayOut();
        return 0;
    case WM_GETMINMAXINFO: {
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        info->ptMinTrackSize = {Scaled(420), Scaled(300)};
        return 0;
    }
    case WM_DPICHANGED: {
        const auto* suggested = reinterpret_cast<const RECT*>(lParam);
        SetWindowPos(handle_, nullptr, suggested->left, suggested->top,
                     suggested->right - suggested->left, suggested->bottom - suggested->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    case WM_COMMAND:
        if (Command(LOWORD(wParam))) return 0;
        break;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE) {
            // The title bar's close hides; the program goes on in the tray.
            ShowWindow(handle_, SW_HIDE);
            return 0;
        }
        break;
    case TrayIcon::kCallbackMessage:
        Guarded([&] { TrayIconCallback(static_cast<UINT>(LOWORD(lParam))); });
        return 0;
    case WM_CLOSE:
        Guarded([&] { Close(); });
        return 0;
    case WM_QUERYENDSESSION:
        return Guarded(TRUE, [&] { return QueryEndSession() ? TRUE : FALSE; });
    case WM_ENDSESSION:
        Guarded([&] { EndSession(wParam != FALSE); });
        return 0;
    case WM_DESTROY:
        Guarded([&] { FormDestroy(); });
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

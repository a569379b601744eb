// The main window's two pages: their controls, their layout at any size and
// dpi, and the grid's wiring to the core.
#include "windows/MainPages.h"

#include "base/AppInfo.h"
#include "base/ErrorReport.h"
#include "base/WinText.h"
#include "tasks/TaskVocabulary.h"
#include "windows/Scaling.h"
#include "windows/TaskIconList.h"
#include "windows/resource.h"

#include <commctrl.h>

#include <algorithm>
#include <iterator>
#include <stdexcept>

namespace keyvane {

namespace {

constexpr int kHotKeyPage[] = {IDC_MAIN_HOTKEYS_GROUP, IDC_MAIN_FILTER,    IDC_MAIN_GRID,
                               IDC_MAIN_ADD,           IDC_MAIN_EDIT,      IDC_MAIN_DELETE,
                               IDC_MAIN_DELETE_ALL,    IDC_MAIN_MOVE_DOWN, IDC_MAIN_MOVE_UP};
// "Saved." stays this long beside "Save".
constexpr UINT_PTR kSavedTimer = 1;
constexpr UINT kSavedShownMs = 3000;

constexpr int kOptionsPage[] = {IDC_MAIN_GENERAL_GROUP,
                                IDC_MAIN_AUTOSTART,
                                IDC_MAIN_TRAY_ONLY,
                                IDC_MAIN_PAUSE_LABEL,
                                IDC_MAIN_PAUSE_HOTKEY,
                                IDC_MAIN_PAUSE_NOTE,
                                IDC_MAIN_PAUSE_FULL_SCREEN,
                                IDC_MAIN_IMPORT_LABEL,
                                IDC_MAIN_IMPORT,
                                IDC_MAIN_SAVE,
                                IDC_MAIN_SAVED};

} // namespace

MainPages::MainPages(HINSTANCE instance, HWND window, AppCore& core)
    : instance_(instance), window_(window), core_(core) {
    pages_ = CreateDialogParamW(instance, MAKEINTRESOURCEW(IDD_MAIN_PAGES), window,
                                &MainPages::PagesProc, reinterpret_cast<LPARAM>(this));
    if (!pages_) throw std::runtime_error("CreateDialogParamW failed for the main window's pages");
    SetUpControls();
    ShowPage(0);
    LayOut();
    ShowWindow(pages_, SW_SHOW);
}

MainPages::~MainPages() {
    // The core outlives the grid: it must not call into a grid that is gone.
    core_.setChangeListener(nullptr);
    pauseField_.reset();
    if (pages_) DestroyWindow(pages_);
    if (font_) DeleteObject(font_);
}

int MainPages::Scaled(int pixels) const {
    return ScaleToDpi(window_, pixels);
}

void MainPages::SetUpControls() {
    HWND tabs = GetDlgItem(pages_, IDC_MAIN_TABS);
    const std::wstring names[] = {ToWide(kHotKeyPageName), ToWide(kOptionsPageName)};
    for (int i = 0; i < 2; ++i) {
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<wchar_t*>(names[i].c_str());
        TabCtrl_InsertItem(tabs, i, &item);
    }
    // The page control lies under the pages' controls, and the group boxes
    // under the controls they frame.
    for (int id : {IDC_MAIN_HOTKEYS_GROUP, IDC_MAIN_GENERAL_GROUP, IDC_MAIN_TABS})
        SetWindowPos(GetDlgItem(pages_, id), HWND_BOTTOM, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetGlyphs();

    // The grid's events are commands of the main window, or go to the core.
    const auto command = [this](int id) {
        return [this, id] { SendMessageW(window_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); };
    };
    TaskGrid::Events events;
    events.click = [this] { Guarded([&] { core_.SaveTaskList(); }); };
    events.edit = command(IDC_MAIN_EDIT);
    events.remove = command(IDC_MAIN_DELETE);
    events.toggleEnabled = [this](int row) {
        Guarded([&] { core_.ToggleEnabled(row); });
        grid_.Refresh();
    };
    events.select = [this](int focused, const std::vector<int>& selected) {
        core_.SelectTasks(focused, selected);
    };
    events.sort = [this](Column column) { Guarded([&] { core_.SortTasks(column); }); };
    grid_.SetFilter(&core_.taskFilter());
    grid_.Attach(GetDlgItem(pages_, IDC_MAIN_GRID), core_.table(), std::move(events));
    core_.setChangeListener([this] { Refresh(); });
    SendDlgItemMessageW(pages_, IDC_MAIN_FILTER, EM_SETCUEBANNER, TRUE,
                        reinterpret_cast<LPARAM>(L"Search (Ctrl+F)"));
    pauseField_ = std::make_unique<HotKeyField>(
        GetDlgItem(pages_, IDC_MAIN_PAUSE_HOTKEY), core_.hotKeyNames(),
        [this](HotKeyCode code) {
            Guarded([&] {
                const std::u16string note = core_.PressPauseField(code);
                ShowPauseHotKey();
                SetDlgItemTextW(pages_, IDC_MAIN_PAUSE_NOTE, W(note));
            });
        },
        OptionsPageShortcuts());
    ShowPauseHotKey();
    grid_.SetHotKeyMarks([this](int row) -> TaskGrid::RowMark {
        const HotKeyNames& names = core_.hotKeyNames();
        if (!ActionFromName(core_.table().textCell(Column::Desc, row)))
            return {TaskGrid::HotKeyMark::UnknownAction, {}};
        switch (core_.HotKeyStateOfTask(row)) {
        case HotKeyState::NotRegistered:
            return {TaskGrid::HotKeyMark::Taken, {}};
        case HotKeyState::Unparsable:
            return {TaskGrid::HotKeyMark::NotRecognised, {}};
        case HotKeyState::TakesCharacter:
            return {
                TaskGrid::HotKeyMark::TakesCharacter,
                CharacterTakenFromAltGr(
                    names, TextToHotKeyCode(names, core_.table().textCell(Column::Hotkey, row)))};
        default:
            return {};
        }
    });
}

void MainPages::ShowPauseHotKey() {
    pauseField_->SetValue(core_.pauseHotKey());
    if (paused_) ShowPaused(true); // the note names the hotkey that resumes
}

void MainPages::ShowSaved() {
    SetDlgItemTextW(pages_, IDC_MAIN_SAVED, ToWide(kOptionsSavedText).c_str());
    SetTimer(pages_, kSavedTimer, kSavedShownMs, nullptr);
}

void MainPages::Refresh() {
    if (refreshing_) return;
    refreshing_ = true;
    grid_.Refresh();
    refreshing_ = false;
    EnableCommands();
}

void MainPages::EnableCommands() {
    const TaskCommands can = core_.AvailableTaskCommands();
    const std::pair<int, bool> buttons[] = {{IDC_MAIN_EDIT, can.edit},
                                            {IDC_MAIN_DELETE, can.remove},
                                            {IDC_MAIN_DELETE_ALL, can.removeAll},
                                            {IDC_MAIN_MOVE_DOWN, can.moveDown},
                                            {IDC_MAIN_MOVE_UP, can.moveUp}};
    HWND focus = GetFocus();
    bool focusLost = false;
    for (auto [id, enabled] : buttons) {
        HWND button = GetDlgItem(pages_, id);
        if (!enabled && button == focus) focusLost = true;
        EnableWindow(button, enabled ? TRUE : FALSE);
    }
    // A greyed button cannot keep the keyboard (Move up on reaching the
    // first row): the grid takes it, with the row that moved.
    if (focusLost) SetFocus(grid_.handle());
}

void MainPages::FocusDefault() {
    if (page_ != 0) {
        SetFocus(GetDlgItem(pages_, IDC_MAIN_AUTOSTART));
        return;
    }
    SetFocus(GetDlgItem(pages_, core_.table().taskCount() > 0 ? IDC_MAIN_GRID : IDC_MAIN_FILTER));
}

void MainPages::ShowPaused(bool paused) {
    paused_ = paused;
    SetDlgItemTextW(pages_, IDC_MAIN_PAUSED, paused ? W(core_.PausedNote()) : L"");
    ShowWindow(GetDlgItem(pages_, IDC_MAIN_PAUSED), paused && page_ == 0 ? SW_SHOW : SW_HIDE);
    // The rows' marks follow: a resume may find a combination taken.
    InvalidateRect(grid_.handle(), nullptr, FALSE);
}

void MainPages::OnFilterChanged() {
    HWND box = GetDlgItem(pages_, IDC_MAIN_FILTER);
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(box)) + 1, L'\0');
    text.resize(
        static_cast<std::size_t>(GetWindowTextW(box, text.data(), static_cast<int>(text.size()))));
    refreshing_ = true;
    core_.SetTaskFilter(FromWide(text));
    refreshing_ = false;
    grid_.Refresh();
    EnableCommands();
}

void MainPages::SetGlyphs() {
    const std::pair<int, int> glyphs[] = {{IDC_MAIN_ADD, IDI_ADD},
                                          {IDC_MAIN_EDIT, IDI_EDIT},
                                          {IDC_MAIN_DELETE, IDI_DELETE},
                                          {IDC_MAIN_DELETE_ALL, IDI_DELETEALL},
                                          {IDC_MAIN_MOVE_DOWN, IDI_MOVEDOWN},
                                          {IDC_MAIN_MOVE_UP, IDI_MOVEUP},
                                          {IDC_MAIN_SAVE, IDI_SAVE},
                                          {IDC_MAIN_IMPORT, IDI_IMPORT}};
    for (auto [button, icon] : glyphs)
        SetButtonGlyph(GetDlgItem(pages_, button), instance_, icon);
}

void MainPages::DpiChanged(int oldDpi, int newDpi) {
    if (oldDpi <= 0 || newDpi <= 0 || oldDpi == newDpi) return;
    // The dialog's font was made for the dpi it was created at; a child
    // dialog is not rescaled by the system.
    LOGFONTW logFont{};
    const auto current = reinterpret_cast<HFONT>(SendMessageW(pages_, WM_GETFONT, 0, 0));
    if (current && GetObjectW(current, sizeof logFont, &logFont)) {
        logFont.lfHeight = MulDiv(logFont.lfHeight, newDpi, oldDpi);
        if (HFONT font = CreateFontIndirectW(&logFont)) {
            SendMessageW(pages_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
            for (HWND child = GetWindow(pages_, GW_CHILD); child;
                 child = GetWindow(child, GW_HWNDNEXT))
                SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
            if (font_) DeleteObject(font_);
            font_ = font;
        }
    }
    SetGlyphs();
    grid_.DpiChanged(oldDpi, newDpi);
    DrawTaskIcons(); // the pictures at the new size set the row height too
    LayOut();
}

bool MainPages::Option(int id) const {
    return IsDlgButtonChecked(pages_, id) == BST_CHECKED;
}

void MainPages::SetOption(int id, bool set) {
    CheckDlgButton(pages_, id, set ? BST_CHECKED : BST_UNCHECKED);
}

void MainPages::DrawTaskIcons() {
    const BuiltInPictures pictures{IDB_REBOOT, IDB_HIBERNATE, IDB_MINIMIZEALL};
    HIMAGELIST icons =
        BuildTaskIconList(instance_, core_.iconPlan(), Scaled(kNewRowHeight), pictures);
    grid_.SetIcons(icons, &core_.iconPlan());
    grid_.Refresh();
}

void MainPages::ShowPage(int page) {
    page_ = page;
    TabCtrl_SetCurSel(GetDlgItem(pages_, IDC_MAIN_TABS), page);
    for (int id : kHotKeyPage)
        ShowWindow(GetDlgItem(pages_, id), page == 0 ? SW_SHOW : SW_HIDE);
    ShowWindow(GetDlgItem(pages_, IDC_MAIN_PAUSED), page == 0 && paused_ ? SW_SHOW : SW_HIDE);
    for (int id : kOptionsPage)
        ShowWindow(GetDlgItem(pages_, id), page == 1 ? SW_SHOW : SW_HIDE);
    // Hidden group boxes leave their frames behind unless all is repainted.
    RedrawWindow(pages_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    // The keyboard focus must not stay on a control of the hidden page.
    HWND focus = GetFocus();
    if (focus && IsChild(pages_, focus) && !IsWindowVisible(focus))
        SetFocus(GetDlgItem(pages_, page == 0 ? IDC_MAIN_GRID : IDC_MAIN_AUTOSTART));
}

bool MainPages::PreTranslateMessage(MSG& msg) {
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_TAB && (GetKeyState(VK_CONTROL) & 0x8000) &&
        (msg.hwnd == window_ || IsChild(window_, msg.hwnd))) {
        ShowPage(1 - page_); // two pages: either direction lands on the other
        return true;
    }
    if (msg.message == WM_KEYDOWN && msg.wParam == 'F' && (GetKeyState(VK_CONTROL) & 0x8000) &&
        (msg.hwnd == window_ || IsChild(window_, msg.hwnd))) {
        if (page_ != 0) ShowPage(0);
        HWND box = GetDlgItem(pages_, IDC_MAIN_FILTER);
        SetFocus(box);
        SendMessageW(box, EM_SETSEL, 0, -1);
        return true;
    }
    return IsDialogMessageW(pages_, &msg) != FALSE;
}

INT_PTR CALLBACK MainPages::PagesProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) SetWindowLongPtrW(window, DWLP_USER, lParam);
    auto* self = reinterpret_cast<MainPages*>(GetWindowLongPtrW(window, DWLP_USER));
    return self ? self->HandleMessage(message, wParam, lParam) : FALSE;
}

INT_PTR MainPages::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return FALSE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_MAIN_FILTER) {
            if (HIWORD(wParam) == EN_CHANGE) Guarded([&] { OnFilterChanged(); });
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            // Escape in the search box clears it: every row shows again.
            HWND box = GetDlgItem(pages_, IDC_MAIN_FILTER);
            if (GetFocus() == box) SetWindowTextW(box, L"");
            return TRUE;
        }
        if (LOWORD(wParam) == IDOK) {
            // Enter: in the grid (or the search box, on the row found) it is
            // Edit; elsewhere the focused button.
            HWND focus = GetFocus();
            const bool inFilter = focus == GetDlgItem(pages_, IDC_MAIN_FILTER);
            if (focus == grid_.handle() || (inFilter && core_.table().currentTask() >= 0)) {
                SendMessageW(window_, WM_COMMAND, MAKEWPARAM(IDC_MAIN_EDIT, BN_CLICKED), 0);
            } else if (focus && (SendMessageW(focus, WM_GETDLGCODE, 0, 0) & DLGC_UNDEFPUSHBUTTON)) {
                SendMessageW(focus, BM_CLICK, 0, 0);
            }
            return TRUE;
        }
        // Buttons are the main window's commands.
        if (HIWORD(wParam) == BN_CLICKED) {
            SendMessageW(window_, WM_COMMAND, wParam, lParam);
            return TRUE;
        }
        return FALSE;
    case WM_TIMER:
        if (wParam != kSavedTimer) return FALSE;
        KillTimer(pages_, kSavedTimer);
        SetDlgItemTextW(pages_, IDC_MAIN_SAVED, L"");
        return TRUE;
    case WM_CTLCOLORSTATIC:
        // The pause field is read-only only to keep typing out; it looks
        // like a field the user fills.
        if (reinterpret_cast<HWND>(lParam) != GetDlgItem(pages_, IDC_MAIN_PAUSE_HOTKEY))
            return FALSE;
        SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_WINDOW));
        return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_WINDOW));
    case WM_CONTEXTMENU:
        // The grid's menu is the main window's; Wine's default handling
        // would pass it on naming this dialog instead of the grid.
        if (reinterpret_cast<HWND>(wParam) != grid_.handle()) return FALSE;
        SendMessageW(window_, WM_CONTEXTMENU, wParam, lParam);
        return TRUE;
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

} // namespace keyvane

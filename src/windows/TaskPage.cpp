// The task page: its controls, its commands and how it follows the core.
#include "windows/TaskPage.h"

#include "app/RunningCopy.h"
#include "base/AppInfo.h"
#include "base/ErrorReport.h"
#include "base/WinText.h"
#include "tasks/TaskVocabulary.h"
#include "windows/DialogHost.h"
#include "windows/Scaling.h"
#include "windows/TaskEditorDialog.h"
#include "windows/TaskIconList.h"
#include "windows/resource.h"

#include <commctrl.h>

#include <iterator>
#include <stdexcept>

namespace keyvane {

namespace {

constexpr int kTaskButtons[] = {IDC_MAIN_ADD,        IDC_MAIN_EDIT,      IDC_MAIN_DELETE,
                                IDC_MAIN_DELETE_ALL, IDC_MAIN_MOVE_DOWN, IDC_MAIN_MOVE_UP};

} // namespace

TaskPage::TaskPage(HINSTANCE instance, HWND parent, HWND owner, AppCore& core)
    : instance_(instance), owner_(owner), core_(core) {
    handle_ = CreateDialogParamW(instance, MAKEINTRESOURCEW(IDD_TASK_PAGE), parent,
                                 &ForwardingDialogProc<TaskPage>, reinterpret_cast<LPARAM>(this));
    if (!handle_) throw std::runtime_error("CreateDialogParamW failed for the task page");
    // An id of its own, so nothing takes the page for one of the pages' controls.
    SetWindowLongPtrW(handle_, GWLP_ID, IDC_MAIN_TASK_PAGE);
    SetWindowPos(GetDlgItem(handle_, IDC_MAIN_HOTKEYS_GROUP), HWND_BOTTOM, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetGlyphs();
    SetUpGrid();
    SendDlgItemMessageW(handle_, IDC_MAIN_FILTER, EM_SETCUEBANNER, TRUE,
                        reinterpret_cast<LPARAM>(L"Search (Ctrl+F)"));
    // Elevated above the shell, no drop is taken (README).
    if (PlanMessages(ThisProcessElevated(), ShellElevated()).acceptDrops)
        DragAcceptFiles(handle_, TRUE);
    DrawTaskIcons();
    EnableCommands();
    ShowPaused();
}

TaskPage::~TaskPage() {
    editor_.reset();
    if (handle_) DestroyWindow(handle_);
}

void TaskPage::SetUpGrid() {
    TaskGrid::Events events;
    events.click = [this] { Guarded([&] { core_.SaveTaskList(); }); };
    events.edit = [this] { Command(IDC_MAIN_EDIT); };
    events.remove = [this] { Command(IDC_MAIN_DELETE); };
    events.toggleEnabled = [this](int row) { Guarded([&] { core_.ToggleEnabled(row); }); };
    events.select = [this](int focused, const std::vector<int>& selected) {
        core_.SelectTasks(focused, selected);
    };
    events.sort = [this](Column column) { Guarded([&] { core_.SortTasks(column); }); };
    grid_.SetFilter(&core_.taskFilter());
    grid_.Attach(GetDlgItem(handle_, IDC_MAIN_GRID), core_.table(), std::move(events));
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

void TaskPage::CoreChanged(const CoreChange& change) {
    if (change.icons) DrawTaskIcons();
    if (change.rows) grid_.ShowRows();
    if (change.rows || change.selection) {
        grid_.ShowSelection();
        EnableCommands();
    }
    // The marks are drawn from the registrations; the characters AltGr
    // types follow the keyboard layout too.
    if (change.marks) InvalidateRect(grid_.handle(), nullptr, FALSE);
    if (change.pause || change.options) ShowPaused();
}

void TaskPage::EnableCommands() {
    const TaskCommands can = core_.AvailableTaskCommands();
    const std::pair<int, bool> buttons[] = {{IDC_MAIN_EDIT, can.edit},
                                            {IDC_MAIN_DELETE, can.remove},
                                            {IDC_MAIN_DELETE_ALL, can.removeAll},
                                            {IDC_MAIN_MOVE_DOWN, can.moveDown},
                                            {IDC_MAIN_MOVE_UP, can.moveUp}};
    HWND focus = GetFocus();
    bool focusLost = false;
    for (auto [id, enabled] : buttons) {
        HWND button = GetDlgItem(handle_, id);
        if (!enabled && button == focus) focusLost = true;
        EnableWindow(button, enabled ? TRUE : FALSE);
    }
    // A greyed button cannot keep the keyboard (Move up on reaching the
    // first row): the grid takes it, with the row that moved.
    if (focusLost) SetFocus(grid_.handle());
}

void TaskPage::ShowPaused() {
    const bool paused = core_.paused();
    SetDlgItemTextW(handle_, IDC_MAIN_PAUSED, paused ? W(core_.PausedNote()) : L"");
    ShowWindow(GetDlgItem(handle_, IDC_MAIN_PAUSED), paused ? SW_SHOW : SW_HIDE);
}

void TaskPage::FocusDefault() {
    SetFocus(GetDlgItem(handle_, core_.table().taskCount() > 0 ? IDC_MAIN_GRID : IDC_MAIN_FILTER));
}

void TaskPage::FocusSearch() {
    HWND box = GetDlgItem(handle_, IDC_MAIN_FILTER);
    SetFocus(box);
    SendMessageW(box, EM_SETSEL, 0, -1);
}

void TaskPage::OnFilterChanged() {
    core_.SetTaskFilter(WindowText(GetDlgItem(handle_, IDC_MAIN_FILTER)));
}

void TaskPage::DrawTaskIcons() {
    const BuiltInPictures pictures{IDB_REBOOT, IDB_HIBERNATE, IDB_MINIMIZEALL};
    HIMAGELIST icons = BuildTaskIconList(instance_, core_.iconPlan(),
                                         ScaleToDpi(handle_, kNewRowHeight), pictures);
    grid_.SetIcons(icons, &core_.iconPlan());
}

void TaskPage::SetGlyphs() {
    const std::pair<int, int> glyphs[] = {{IDC_MAIN_ADD, IDI_ADD},
                                          {IDC_MAIN_EDIT, IDI_EDIT},
                                          {IDC_MAIN_DELETE, IDI_DELETE},
                                          {IDC_MAIN_DELETE_ALL, IDI_DELETEALL},
                                          {IDC_MAIN_MOVE_DOWN, IDI_MOVEDOWN},
                                          {IDC_MAIN_MOVE_UP, IDI_MOVEUP}};
    for (auto [button, icon] : glyphs)
        SetButtonGlyph(GetDlgItem(handle_, button), instance_, icon);
}

void TaskPage::MeasureButtons(std::span<int> widths) const {
    std::size_t i = 0;
    for (int id : kTaskButtons)
        if (i < widths.size()) widths[i++] = ButtonWidthForCaption(GetDlgItem(handle_, id));
}

void TaskPage::LayOut(const HotKeyPageLayout& layout, int width, int height) {
    const int top = layout.area.top;
    MoveWindow(handle_, 0, top, width, height - top, TRUE);
    auto place = [&](int id, const LayoutRect& r) {
        MoveWindow(GetDlgItem(handle_, id), r.left, r.top - top, r.width, r.height, TRUE);
    };
    // The group box fills the page; the search box and the grid fill the
    // box above the bar of six buttons.
    place(IDC_MAIN_HOTKEYS_GROUP, layout.area);
    place(IDC_MAIN_FILTER, layout.filter);
    place(IDC_MAIN_PAUSED, layout.note);
    place(IDC_MAIN_GRID, layout.grid);
    LayoutRect button = layout.buttons;
    for (int id : kTaskButtons) {
        place(id, button);
        button.left += layout.buttonStep;
    }
}

void TaskPage::DpiChanged(HFONT font, int oldDpi, int newDpi) {
    if (font) {
        SendMessageW(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        for (HWND child = GetWindow(handle_, GW_CHILD); child;
             child = GetWindow(child, GW_HWNDNEXT))
            SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
    SetGlyphs();
    grid_.DpiChanged(oldDpi, newDpi);
    DrawTaskIcons(); // the pictures at the new size set the row height too
}

bool TaskPage::IsCommand(UINT id) {
    return (id >= IDC_MAIN_ADD && id <= IDC_MAIN_MOVE_UP) ||
           (id >= IDM_GRID_EDIT && id <= IDM_GRID_DELETE);
}

void TaskPage::Command(UINT id) {
    Guarded([&] {
        switch (id) {
        case IDC_MAIN_ADD:
            RunEditor(true);
            break;
        case IDC_MAIN_EDIT:
        case IDM_GRID_EDIT:
            RunEditor(false);
            break;
        case IDC_MAIN_DELETE:
        case IDM_GRID_DELETE:
            core_.DeleteSelectedTasks();
            break;
        case IDC_MAIN_DELETE_ALL:
            core_.DeleteAllTasks();
            break;
        case IDC_MAIN_MOVE_DOWN:
            core_.MoveCurrentTask(+1);
            break;
        case IDC_MAIN_MOVE_UP:
            core_.MoveCurrentTask(-1);
            break;
        case IDM_GRID_RUN_NOW:
            OnRunNow();
            break;
        case IDM_GRID_ENABLE:
            if (const int row = core_.table().currentTask(); row >= 0) core_.ToggleEnabled(row);
            break;
        default:
            break;
        }
    });
}

bool TaskPage::PreTranslateMessage(const MSG& msg) {
    if (msg.message != WM_KEYDOWN || (msg.wParam != VK_RETURN && msg.wParam != VK_ESCAPE))
        return false;
    HWND focus = GetFocus();
    if (!focus || !IsChild(handle_, focus)) return false;
    HWND box = GetDlgItem(handle_, IDC_MAIN_FILTER);
    if (msg.wParam == VK_ESCAPE) {
        // Escape in the search box clears it: every row shows again.
        if (focus == box) SetWindowTextW(box, L"");
        return true;
    }
    // Enter: in the grid (or the search box, on the row found) it is Edit;
    // on a button, that button.
    if (focus == grid_.handle() || (focus == box && core_.table().currentTask() >= 0))
        Command(IDC_MAIN_EDIT);
    else if (SendMessageW(focus, WM_GETDLGCODE, 0, 0) & (DLGC_UNDEFPUSHBUTTON | DLGC_DEFPUSHBUTTON))
        SendMessageW(focus, BM_CLICK, 0, 0);
    return true;
}

INT_PTR TaskPage::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return FALSE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_MAIN_FILTER) {
            if (HIWORD(wParam) == EN_CHANGE) Guarded([&] { OnFilterChanged(); });
            return TRUE;
        }
        if (HIWORD(wParam) == BN_CLICKED && IsCommand(LOWORD(wParam))) {
            Command(LOWORD(wParam));
            return TRUE;
        }
        return FALSE;
    case WM_CONTEXTMENU:
        // Left to the dialog, Wine would pass it on naming this page
        // instead of the grid.
        if (reinterpret_cast<HWND>(wParam) != grid_.handle()) return FALSE;
        Guarded([&] { OnContextMenu(lParam); });
        return TRUE;
    case WM_INPUTLANGCHANGE:
        // The characters AltGr types, which the grid marks, follow the
        // layout; the message goes on to the page's controls.
        InvalidateRect(grid_.handle(), nullptr, FALSE);
        return FALSE;
    case WM_DROPFILES:
        Guarded([&] { AddDroppedFile(reinterpret_cast<HDROP>(wParam)); });
        return TRUE;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header->hwndFrom != grid_.handle()) return FALSE;
        bool handled = false;
        LRESULT result = 0;
        Guarded([&] { result = grid_.HandleNotify(header, handled); });
        if (!handled) return FALSE;
        SetWindowLongPtrW(handle_, DWLP_MSGRESULT, result);
        return TRUE;
    }
    default:
        return FALSE;
    }
}

} // namespace keyvane

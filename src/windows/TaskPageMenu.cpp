// The task page's right-click menu ("Edit", "Run now", "Enable" or
// "Disable", "Delete", on the current row), the files dropped on it, which
// open the editor with a new task for them, and the editor's runs. Which
// rows the menu acts on and what it offers are the core's (OpenTaskMenu);
// what a dropped file becomes is DroppedFile's.
#include "windows/TaskPage.h"

#include "app/DroppedFile.h"
#include "base/WinText.h"
#include "windows/ModalLoop.h"
#include "windows/TaskEditorDialog.h"
#include "windows/resource.h"

#include <windowsx.h>

namespace keyvane {

void TaskPage::OnContextMenu(LPARAM point) {
    if (FrontOpenModal()) return;
    POINT at{GET_X_LPARAM(point), GET_Y_LPARAM(point)};
    // Shift+F10 or the menu key: at the current row.
    const bool keyboard = at.x == -1 && at.y == -1;
    if (keyboard && !grid_.CurrentRowMenuPoint(at)) return;
    const std::optional<TaskMenu> items =
        core_.OpenTaskMenu(keyboard ? -1 : grid_.RowAtScreenPoint(at), keyboard);
    if (!items) return;

    HMENU bar = LoadMenuW(instance_, MAKEINTRESOURCEW(IDR_GRID_MENU));
    if (!bar) return;
    HMENU menu = GetSubMenu(bar, 0);
    ModifyMenuW(menu, IDM_GRID_ENABLE, MF_BYCOMMAND | MF_STRING, IDM_GRID_ENABLE,
                ToWide(items->enableItem).c_str());
    if (!items->canRun) EnableMenuItem(menu, IDM_GRID_RUN_NOW, MF_BYCOMMAND | MF_GRAYED);
    SetMenuDefaultItem(menu, IDM_GRID_EDIT, FALSE); // what a double click does
    // The item's command arrives as WM_COMMAND, as from the buttons.
    TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, handle_,
                   nullptr);
    DestroyMenu(bar);
}

void TaskPage::OnRunNow() {
    // The program it starts comes up in front: this window is the
    // foreground one, so the shell may hand the foreground on.
    core_.RunTaskNow(core_.table().currentTask());
}

void TaskPage::AddDroppedFile(HDROP drop) {
    // One task per drop: the first file, as the editor opens for one.
    std::wstring path;
    if (DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0) > 0) {
        path.resize(DragQueryFileW(drop, 0, nullptr, 0) + 1);
        path.resize(DragQueryFileW(drop, 0, path.data(), static_cast<UINT>(path.size())));
    }
    DragFinish(drop);
    if (path.empty() || FrontOpenModal()) return;
    const std::unique_ptr<ShortcutResolver> shortcuts = MakeShellShortcutResolver();
    const DroppedTask task = TaskForDroppedFile(FromWide(path), *shortcuts);
    if (!task.fields) {
        ModalMessageBox(owner_, W(task.refusal), MB_OK | MB_ICONWARNING);
        return;
    }
    if (IsIconic(owner_)) ShowWindow(owner_, SW_RESTORE);
    SetForegroundWindow(owner_);
    RunEditor(true, &*task.fields);
}

void TaskPage::RunEditor(bool adding, const TaskFields* filled) {
    if (!editor_) editor_ = std::make_unique<TaskEditorDialog>(instance_, owner_, core_);
    editor_->Run(adding, filled);
    // A new row is the current one, so the grid scrolls to it.
    const int appended = core_.lastAppendedRow();
    if (appended >= 0) core_.SelectTasks(appended, {appended});
}

} // namespace keyvane

// The grid's right-click menu ("Edit", "Run now", "Enable" or "Disable",
// "Delete", on the current row), files dropped on the main window, which
// open the editor with a new task for them, and the messages the window
// lets in from programs of a lower integrity level. What a dropped file
// becomes is the core's (DroppedFile.h); these handlers read the shell's
// message and show the result.
#include "windows/MainWindow.h"

#include "app/DroppedFile.h"
#include "app/RunningCopy.h"
#include "base/AppInfo.h"
#include "base/ErrorReport.h"
#include "base/WinText.h"
#include "windows/MainPages.h"
#include "windows/ModalLoop.h"
#include "windows/SingleInstance.h"
#include "windows/resource.h"

#include <windowsx.h>

#include <algorithm>
#include <string>

namespace keyvane {

namespace {

UINT MessageOf(GuardedMessage message) {
    switch (message) {
    case GuardedMessage::TaskbarCreated:
        return RegisterWindowMessageW(L"TaskbarCreated");
    case GuardedMessage::TrayCallback:
        return TrayIcon::kCallbackMessage;
    case GuardedMessage::Command:
        return ShowRunningInstanceMessage();
    case GuardedMessage::DropFiles:
        return WM_DROPFILES;
    case GuardedMessage::CopyGlobalData:
        return 0x0049;
    case GuardedMessage::CopyData:
        return WM_COPYDATA;
    }
    return 0;
}

} // namespace

void MainWindow::LetMessagesIn() {
    // Run elevated, the window would not hear the shell (its restart, the
    // tray's clicks): messages from a lower integrity level are dropped
    // unless let through. Nothing that gives orders ever is.
    const MessagePlan plan = PlanMessages(ThisProcessElevated(), ShellElevated());
    for (GuardedMessage guarded : plan.opened)
        if (const UINT message = MessageOf(guarded))
            ChangeWindowMessageFilterEx(handle_, message, MSGFLT_ALLOW, nullptr);
    // Elevated above the shell, no drop is taken (README).
    if (plan.acceptDrops) DragAcceptFiles(handle_, TRUE);
}

void MainWindow::OnGridContextMenu(LPARAM point) {
    if (!pages_ || FrontOpenModal()) return;
    TaskGrid& grid = pages_->grid();
    POINT at{GET_X_LPARAM(point), GET_Y_LPARAM(point)};
    if (at.x == -1 && at.y == -1) {
        // Shift+F10 or the menu key: at the current row.
        if (!grid.CurrentRowMenuPoint(at)) return;
    } else {
        const int row = grid.RowAtScreenPoint(at);
        if (row < 0) return; // below the last row: nothing to act on
        // The menu acts on the row under the pointer: it becomes the current
        // one, and a selection that holds it stays for "Delete".
        const TaskTable& table = core_.table();
        if (row != table.currentTask()) {
            std::vector<int> selected;
            if (table.isTaskSelected(row))
                for (int r = 0; r < table.taskCount(); ++r)
                    if (table.isTaskSelected(r)) selected.push_back(r);
            if (selected.empty()) selected.push_back(row);
            core_.SelectTasks(row, selected);
            grid.Refresh();
        }
    }
    const int row = core_.table().currentTask();
    if (row < 0) return;

    HMENU bar = LoadMenuW(instance_, MAKEINTRESOURCEW(IDR_GRID_MENU));
    if (!bar) return;
    HMENU menu = GetSubMenu(bar, 0);
    const bool enabled = core_.table().cellFlag(Column::Enabled, row);
    ModifyMenuW(menu, IDM_GRID_ENABLE, MF_BYCOMMAND | MF_STRING, IDM_GRID_ENABLE,
                ToWide(enabled ? kDisableItem : kEnableItem).c_str());
    // A hand-written Desc that names no action has nothing to run.
    if (!ActionFromName(core_.table().textCell(Column::Desc, row)))
        EnableMenuItem(menu, IDM_GRID_RUN_NOW, MF_BYCOMMAND | MF_GRAYED);
    SetMenuDefaultItem(menu, IDM_GRID_EDIT, FALSE); // what a double click does
    // The item's command arrives as WM_COMMAND, as from the buttons.
    TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, handle_,
                   nullptr);
    DestroyMenu(bar);
}

bool MainWindow::GridMenuCommand(UINT id) {
    if (id < IDM_GRID_EDIT || id > IDM_GRID_DELETE) return false;
    // Posted from outside, a command may come before the pages exist.
    if (!pages_) return true;
    Guarded([&] {
        switch (id) {
        case IDM_GRID_EDIT:
            OnEdit();
            break;
        case IDM_GRID_RUN_NOW:
            OnRunNow();
            break;
        case IDM_GRID_ENABLE:
            if (const int row = core_.table().currentTask(); row >= 0) core_.ToggleEnabled(row);
            pages_->Refresh();
            break;
        default:
            OnDelete();
            break;
        }
    });
    return true;
}

void MainWindow::OnRunNow() {
    // The program it starts comes up in front: this window is the
    // foreground one, so the shell may hand the foreground on.
    core_.RunTaskNow(core_.table().currentTask());
}

void MainWindow::OnDropFiles(HDROP drop) {
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
        ModalMessageBox(handle_, W(task.refusal), MB_OK | MB_ICONWARNING);
        return;
    }
    Pages();
    ShowInFront();
    RunEditor(true, &*task.fields);
}

} // namespace keyvane

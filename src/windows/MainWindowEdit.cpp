// The main window's Edit menu (undo and redo of the task table's changes),
// the tray icon's clicks and its pause of every hotkey, and a second start's
// switches. The core keeps the history and the paused state; these handlers
// only show them.
#include "windows/MainWindow.h"

#include "base/AppInfo.h"
#include "base/WinText.h"
#include "windows/ModalLoop.h"
#include "windows/resource.h"

#include <string>

namespace keyvane {
namespace {

// "&Undo Delete All\tCtrl+Z", greyed when there is nothing to undo.
void SetEditItem(HMENU menu, UINT id, std::u16string_view item, const std::u16string& name,
                 bool enabled, const wchar_t* keys) {
    std::wstring text = ToWide(item);
    if (!name.empty()) text += L" " + ToWide(name);
    text += keys;
    ModifyMenuW(menu, id, MF_BYCOMMAND | MF_STRING | (enabled ? MF_ENABLED : MF_GRAYED), id,
                text.c_str());
}

bool HasItem(HMENU menu, UINT id) {
    return GetMenuState(menu, id, MF_BYCOMMAND) != static_cast<UINT>(-1);
}

} // namespace

void MainWindow::OnInitMenuPopup(HMENU menu) {
    if (HasItem(menu, IDM_EDIT_UNDO)) {
        SetEditItem(menu, IDM_EDIT_UNDO, kUndoItem, core_.UndoName(), core_.CanUndo(), L"\tCtrl+Z");
        SetEditItem(menu, IDM_EDIT_REDO, kRedoItem, core_.RedoName(), core_.CanRedo(), L"\tCtrl+Y");
    }
    if (HasItem(menu, IDM_TRAY_PAUSE))
        CheckMenuItem(menu, IDM_TRAY_PAUSE,
                      MF_BYCOMMAND | (core_.paused() ? MF_CHECKED : MF_UNCHECKED));
}

void MainWindow::OnUndo() {
    core_.Undo(); // the table is back even when its save fails
}

void MainWindow::OnRedo() {
    core_.Redo();
}

void MainWindow::OnPause() {
    // The pause listener shows it in the tray and the window.
    core_.SetPaused(!core_.paused());
}

LRESULT MainWindow::OnCommandLine(const CommandRequest& request) {
    // Answered at once: the second start waits for the answer, and nothing
    // that may open a window (an action, a save's report) runs inside it.
    switch (request.what) {
    case Switch::None:
    case Switch::Show:
        PostMessageW(handle_, WM_COMMAND, IDM_TRAY_SHOW, 0);
        break;
    case Switch::Pause:
    case Switch::Resume:
        core_.SetPaused(request.what == Switch::Pause);
        break;
    case Switch::Exit:
        // The second start waits for this process to end.
        PostMessageW(handle_, WM_CLOSE, 0, 0);
        break;
    case Switch::Run:
        switch (core_.TaskRunnable(request.task)) {
        case AppCore::RunResult::Ran:
            PostMessageW(handle_, kRunTaskMessage, static_cast<WPARAM>(request.task), 0);
            break;
        case AppCore::RunResult::NoSuchTask:
            return EncodeAnswer(kExitNotDone, NotDoneReason::NoSuchTask);
        case AppCore::RunResult::Disabled:
            return EncodeAnswer(kExitNotDone, NotDoneReason::Disabled);
        case AppCore::RunResult::NoAction:
            return EncodeAnswer(kExitNotDone, NotDoneReason::NoAction);
        }
        break;
    case Switch::Help: // answered by the start itself, never sent
    case Switch::RunWithoutNumber:
    case Switch::Unknown:
        return EncodeAnswer(kExitUnknownSwitch, NotDoneReason::None);
    }
    return EncodeAnswer(kExitDone, NotDoneReason::None);
}

void MainWindow::OnShowFromTray() {
    if (FrontOpenModal()) return;
    ShowInFront();
}

void MainWindow::OnTrayIcon(UINT mouseMessage) {
    switch (mouseMessage) {
    case WM_LBUTTONDOWN: {
        if (FrontOpenModal()) return;
        ShowMainWindow();
        // No hide before the restore: without a window manager to confirm
        // the show, a hide waits two seconds (Wine). A restore would undo
        // the maximized state the settings gave it.
        if (IsIconic(handle_)) ShowWindow(handle_, SW_RESTORE);
        SetForegroundWindow(handle_);
        // What is on screen is replaced by the stored size; the position
        // only by the first activation's full load.
        core_.ReapplyWindowSize();
        break;
    }
    case WM_RBUTTONDOWN: {
        POINT at{};
        GetCursorPos(&at);
        // The menu closes when the user clicks elsewhere only if our window
        // is in front; the hidden window in front is not an activation.
        SetForegroundWindow(handle_);
        TrackPopupMenu(GetSubMenu(trayMenu_, 0), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON,
                       at.x, at.y, 0, handle_, nullptr);
        PostMessageW(handle_, WM_NULL, 0, 0);
        break;
    }
    default:
        break;
    }
}

} // namespace keyvane

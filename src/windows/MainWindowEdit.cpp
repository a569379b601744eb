// The main window's Edit menu (undo and redo of the task table's changes)
// and the tray's pause of every hotkey. The core keeps the history and the
// paused state; these handlers only show them.
#include "windows/MainWindow.h"

#include "base/AppInfo.h"
#include "base/WinText.h"
#include "windows/MainPages.h"
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

void MainWindow::PutBack(bool (AppCore::*step)()) {
    // The table is back even when its save fails (which Guarded reports):
    // the grid shows it either way.
    try {
        (core_.*step)();
    } catch (...) {
        TasksChanged();
        throw;
    }
    TasksChanged();
}

void MainWindow::OnUndo() {
    PutBack(&AppCore::Undo);
}

void MainWindow::OnRedo() {
    PutBack(&AppCore::Redo);
}

void MainWindow::OnPause() {
    core_.SetPaused(!core_.paused());
    tray_.SetPaused(core_.paused());
    if (pages_) pages_->ShowPaused(core_.paused());
}

} // namespace keyvane

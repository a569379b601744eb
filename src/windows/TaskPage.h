// The "HotKey View" page: the search box, the task grid, its six buttons,
// the grid's right-click menu and the files dropped on it. A child dialog of
// the main window's pages, made the first time the window is shown. Its
// handlers call the core, and it redraws from the core's change listener
// alone: a click never passes through another window.
#pragma once

#include "app/AppCore.h"
#include "app/layout/MainLayout.h"
#include "windows/TaskGrid.h"

#include <windows.h>
#include <shellapi.h>

#include <memory>
#include <span>

namespace keyvane {

class TaskEditorDialog;

class TaskPage {
  public:
    // Creates the page inside parent (the pages' dialog). owner: the main
    // window, which owns the editor and the message boxes. Throws when the
    // controls cannot be made.
    TaskPage(HINSTANCE instance, HWND parent, HWND owner, AppCore& core);
    ~TaskPage();
    TaskPage(const TaskPage&) = delete;
    TaskPage& operator=(const TaskPage&) = delete;

    HWND handle() const { return handle_; }
    TaskGrid& grid() { return grid_; }

    // The core's one notice: redraws what it touched.
    void CoreChanged(const CoreChange& change);
    // The task commands by id (the buttons, the grid menu); false for an id
    // that is not the page's. A command posted to the main window from
    // outside (a script) arrives here too.
    static bool IsCommand(UINT id);
    void Command(UINT id);
    // Add with the fields of a dropped file, in front.
    void AddDroppedFile(HDROP drop);

    // Where the keyboard goes when nothing else has it: the grid, or the
    // search box while the list is empty.
    void FocusDefault();
    void FocusSearch();
    // The task pictures from the core's icon plan, at the window's dpi.
    void DrawTaskIcons();

    // The widths the six buttons need for their captions, in layout order.
    void MeasureButtons(std::span<int> widths) const;
    // Places the page over the rows below the tab strip of layout (in the
    // pages' coordinates), and its controls where layout puts them.
    void LayOut(const HotKeyPageLayout& layout, int width, int height);
    // The dpi changed: the pages' new font, the glyphs and the grid.
    void DpiChanged(HFONT font, int oldDpi, int newDpi);
    // Enter and Escape, which the dialog manager would give the pages'
    // dialog rather than this one. True when the message was taken.
    bool PreTranslateMessage(const MSG& msg);

  private:
    template <class Owner> friend INT_PTR CALLBACK ForwardingDialogProc(HWND, UINT, WPARAM, LPARAM);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void SetUpGrid();
    void SetGlyphs();
    void EnableCommands();
    void ShowPaused();
    void OnFilterChanged();

    // The grid's right-click menu, dropped files and the editor
    // (TaskPageMenu.cpp).
    void OnContextMenu(LPARAM point);
    void RunEditor(bool adding, const TaskFields* filled = nullptr);
    void OnRunNow();

    HINSTANCE instance_;
    HWND owner_;
    HWND handle_ = nullptr;
    AppCore& core_;
    TaskGrid grid_;
    std::unique_ptr<TaskEditorDialog> editor_;
};

} // namespace keyvane

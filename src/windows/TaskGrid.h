// The task grid: a report-style list view in virtual mode over the core's
// task table. The table stays the one store; the view asks it for each cell
// it paints, so thousands of tasks cost nothing to show. The grid only reads
// the table: selection and header clicks go to its owner, who asks the core.
// With a filter it shows the filter's rows: every row index is translated
// here, at the edge, and the events carry table rows.
#pragma once

#include "app/TaskFilter.h"
#include "app/TaskIcons.h"
#include "tasks/ProgramScope.h"
#include "tasks/TaskTable.h"

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

namespace keyvane {

class TaskGrid {
  public:
    // Why a row's hotkey cannot act, or what it takes from typing, shown as
    // a mark in its Hotkey cell.
    // UnknownAction: the row names no action this version knows (a hand-edited
    // file), so its hotkey does nothing.
    enum class HotKeyMark { None, Taken, NotRecognised, TakesCharacter, UnknownAction };
    struct RowMark {
        HotKeyMark mark = HotKeyMark::None;
        std::u16string character; // the one TakesCharacter names
    };

    struct Events {
        std::function<void()> click;                // any click in the table
        std::function<void()> edit;                 // double click, Enter
        std::function<void()> remove;               // the Delete key
        std::function<void(int row)> toggleEnabled; // a click on the box, Space
        // The view's focused row (-1: none) and selected rows.
        std::function<void(int focused, const std::vector<int>& selected)> select;
        std::function<void(Column column)> sort; // a header click
    };

    TaskGrid() = default;
    TaskGrid(const TaskGrid&) = delete;
    TaskGrid& operator=(const TaskGrid&) = delete;
    ~TaskGrid();

    // Sets up columns, styles and the row height on an existing list view.
    void Attach(HWND listView, const TaskTable& table, Events events);
    HWND handle() const { return list_; }

    // The pictures of the task icons, by IconPlan source index; the grid
    // takes the image list over. A row shows its Image number's picture.
    void SetIcons(HIMAGELIST icons, const IconPlan* plan);
    void SetHotKeyMarks(std::function<RowMark(int row)> marks) { marks_ = std::move(marks); }
    // The rows shown (null: all); the filter must outlive the grid.
    void SetFilter(const TaskFilter* filter) { filter_ = filter; }

    // After the rows changed: their count, and every cell drawn again.
    void ShowRows();
    // After the selection changed: selection and focus from the table.
    void ShowSelection();
    // Column widths in definition order ("#", Desc, Hotkey, Dest, ...).
    int ColumnWidth(int column) const;
    void SetColumnWidth(int column, int width);
    // The window moved to a screen of another dpi: the columns keep their
    // size on screen and the warning mark is loaded at the new size. The
    // row height follows the next SetIcons.
    void DpiChanged(int oldDpi, int newDpi);

    // The table row shown under a screen point, -1 for none.
    int RowAtScreenPoint(POINT screen) const;
    // Where a menu for the current row opens from the keyboard: the left of
    // its bottom edge, in screen coordinates. False when it is not shown.
    bool CurrentRowMenuPoint(POINT& screen) const;

    // WM_NOTIFY from the list view or its header; returns the result.
    LRESULT HandleNotify(NMHDR* header, bool& handled);

  private:
    static int ViewIndexOf(Column column);
    // The system's list look, when the visual styles are there
    // (TaskGridDraw.cpp, with the drawing below).
    void ApplyListLook();
    LRESULT OnCustomDraw(NMLVCUSTOMDRAW& draw);
    void SelectionToTable();
    // Whether a change of the view's states from..to (-1: every row) is
    // what the table holds already.
    bool AgreesWithTable(int from, int to, UINT oldState, UINT newState) const;
    void DrawCheckBox(HDC dc, const RECT& cell, bool checked);
    // row: the table row under the point, -1 for none.
    int HitColumn(POINT clientPoint, int& row) const;
    int ViewCount() const;
    int TableRow(int viewRow) const; // -1 outside the view
    int ViewRow(int tableRow) const; // -1 when hidden
    void LoadWarningIcon();
    std::u16string TooltipOf(int row) const;
    ScopeNote ScopeNoteOf(int row) const;

    HWND list_ = nullptr;
    const TaskTable* table_ = nullptr;
    Events events_;
    HIMAGELIST icons_ = nullptr;
    const IconPlan* plan_ = nullptr;
    std::function<RowMark(int row)> marks_;
    const TaskFilter* filter_ = nullptr;
    HICON warning_ = nullptr;
    std::wstring textBuffer_;
    HWND tooltip_ = nullptr;
};

} // namespace keyvane

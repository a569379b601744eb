// The task table: the program's one store of tasks while it runs. Every other
// part of the program reads and changes tasks through these operations,
// addressing a cell by column name (letter case ignored) and row index.
//
// Text is held as UTF-16 code units (std::u16string), the same units as the
// task list file, so the Linux tests see exactly what Windows sees.
#pragma once

#include "base/Errors.h"
#include "tasks/TaskListFile.h"

#include <array>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace keyvane {

// Failures of the table are exceptions, as every caller expects.
class TaskTableError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};
// A row index below 0 or at or past taskCount.
class IndexError : public TaskTableError {
  public:
    using TaskTableError::TaskTableError;
};
// Text written into the integer column that is not an integer.
class ConversionError : public TaskTableError {
  public:
    using TaskTableError::TaskTableError;
};
// More rows than the task list file can hold (kMaxTasks).
class TableFullError : public TaskTableError {
  public:
    using TaskTableError::TaskTableError;
};
// A column name that matches no column.
class UnknownColumnError : public TaskTableError {
  public:
    using TaskTableError::TaskTableError;
};

// Column indexes; the index order is the field order of the task list file.
// The names are the design's, spelt as its documents and the stored files
// spell them (hence NxNumberColumn1, Type_run), not in this code's style.
// Programs and If_running are text cells the grid does not show as columns
// (ProgramScope.h says what they hold).
enum class Column : int {
    NxNumberColumn1 = 0,
    Desc,
    Hotkey,
    Dest,
    Type_run,
    Image,
    Enabled,
    Programs,
    If_running
};
inline constexpr int kColumnCount = 9;
// The columns the grid shows: the first seven.
inline constexpr int kShownColumnCount = 7;

enum class CellKind { RowNumber, Text, Integer, Flag };

struct ColumnInfo {
    enum class Align { Left, Centre };
    std::u16string_view name;
    CellKind kind;
    std::u16string_view caption;
    int displayPosition;
    int width;         // designed width in pixels
    Align align;       // of the cells
    Align headerAlign; // of the caption
};

// The fixed columns in index order, with what the grid view shows.
extern const std::array<ColumnInfo, kColumnCount> kColumns;
// Height in pixels a row is given when it is added: a 32x32 icon fits.
inline constexpr int kNewRowHeight = 32;

// Finds a column by name, ignoring ASCII letter case; throws UnknownColumnError.
Column FindColumn(std::u16string_view name);

// Its operations keep the design's names (taskCount, cellText,
// appendTasks...), which start in lower case unlike this code's own.
class TaskTable {
  public:
    TaskTable() = default;

    int taskCount() const { return static_cast<int>(rows_.size()); }

    // Cell access by column name; a bad row throws IndexError.
    std::u16string cellText(std::u16string_view column, int row) const;
    void setCellText(std::u16string_view column, int row, std::u16string_view text);
    bool cellFlag(std::u16string_view column, int row) const;
    void setCellNumber(std::u16string_view column, int row, std::int32_t number);

    // The same by column index, for the file reader and writer and the view.
    std::u16string cellText(Column column, int row) const;
    void setCellText(Column column, int row, std::u16string_view text);
    // Throws ConversionError for any column but Enabled.
    bool cellFlag(Column column, int row) const;
    // The stored text of a text column without a copy, for the per-press
    // walk; valid until the table next changes. Other columns throw.
    std::u16string_view textCell(Column column, int row) const;

    // Adds n rows with the new-row values; returns the index of the last new
    // row. A count below 1 adds nothing (and returns taskCount() - 1). The
    // table holds at most kMaxTasks rows, as many as the file reader takes:
    // past that it throws TableFullError and adds nothing.
    int appendTasks(int count);
    void removeTask(int row);
    void removeAllTasks();
    void moveTask(int from, int to);

    int currentTask() const { return current_; }
    void selectTask(int row);
    bool isTaskSelected(int row) const;
    // For the grid's Ctrl and Shift selection; does not change the current row.
    void setTaskSelected(int row, bool selected);

    // Header click: sorts by the column, flipping direction on a repeated
    // click; the current row stays on its task.
    void sortByColumn(std::u16string_view column);

    // The rows as task list records, in row order, for the store to encode:
    // views of the cells, valid until the table next changes.
    TaskRecordViews records() const;
    // Replaces every row with the records' tasks (the store decodes them);
    // fields a record lacks keep the new-row values. Text fields are kept as
    // the file can keep them (a lone CR and a '|' become CR LF, a lone LF is
    // left out), so the table saves and loads back equal. A damaged icon
    // number keeps its 0: refusing it would drop the task at the next save.
    // Throws TableFullError past kMaxTasks, leaving the table empty.
    void setRecords(std::vector<TaskRecord>&& records);
    // The same for the bytes of a task list file: setRecords(DecodeTaskList(
    // bytes)) without the list of every record, each going into its row as
    // it is read. Throws as the reader does, leaving the table unchanged.
    void setRecordsFromFile(std::span<const std::uint8_t> bytes);

  private:
    struct Row {
        // The text columns, in column order: Desc to Type_run, Programs,
        // If_running.
        std::array<std::u16string, 6> texts;
        std::int32_t image = 0;
        bool enabled = true;
        bool selected = false;

        // The cell of a text column, or null for the other kinds.
        const std::u16string* text(Column column) const {
            const int c = static_cast<int>(column);
            const int i = c >= static_cast<int>(Column::Programs) ? c - 3 : c - 1;
            const bool isText = (column >= Column::Desc && column <= Column::Type_run) ||
                                column >= Column::Programs;
            return isText ? &texts[static_cast<std::size_t>(i)] : nullptr;
        }
        std::u16string* text(Column column) {
            return const_cast<std::u16string*>(static_cast<const Row&>(*this).text(column));
        }
    };

    // Fills a new row from a record; texts not known to be in the file's
    // form are brought to it.
    static void fillRow(Row& row, TaskRecord& record, bool inFileForm);
    Row& rowAt(int row);
    const Row& rowAt(int row) const;
    void changed();

    std::vector<Row> rows_;
    int current_ = -1;
    // Sorting memory: one direction per column, and the sort column (-1 none).
    std::array<bool, kColumnCount> descending_{};
    int sortColumn_ = -1;
    bool changedSinceSort_ = true;
};

} // namespace keyvane

// The grid's filter: which rows of the task table the user sees while a
// search text is typed, and the map between those visible rows and the
// table's rows. The grid translates every row index at its edge through it,
// so the commands act on table rows the user can see.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace keyvane {

class TaskTable;

class TaskFilter {
  public:
    // The table must outlive the filter.
    explicit TaskFilter(const TaskTable& table) : table_(&table) {}

    // Empty text shows every row. Matches the table again.
    void SetText(std::u16string_view text);
    const std::u16string& text() const { return text_; }
    bool active() const { return !needle_.empty(); }

    // Matches every row again, after the table changed.
    void Rebuild();

    int visibleCount() const;
    // The table row shown at a visible row; -1 outside the view.
    int TableRow(int visibleRow) const;
    // Where a table row is shown; -1 when the filter hides it.
    int VisibleRow(int tableRow) const;

  private:
    const TaskTable* table_;
    std::u16string text_;
    std::u16string needle_;  // the text, case folded
    std::vector<int> rows_;  // the shown table rows, ascending, when active
    std::u16string scratch_; // reused by the matching
};

// Whether the row's description, hotkey, destination or the programs it is
// for contain the needle (already CaseFolded), letter case aside.
bool TaskRowMatches(const TaskTable& table, int row, std::u16string_view foldedNeedle,
                    std::u16string& scratch);

} // namespace keyvane

#include "app/TaskFilter.h"

#include "base/Text.h"
#include "tasks/DestinationText.h"
#include "tasks/TaskTable.h"

#include <algorithm>

namespace keyvane {

bool TaskRowMatches(const TaskTable& table, int row, std::u16string_view foldedNeedle,
                    std::u16string& scratch) {
    for (Column column : {Column::Desc, Column::Hotkey, Column::Programs})
        if (ContainsFolded(table.textCell(column, row), foldedNeedle, scratch)) return true;
    // The destination as the user wrote it, so a '|' finds a '|'. Only a
    // cell with a line break can hold the notation's marks.
    const std::u16string_view dest = table.textCell(Column::Dest, row);
    if (dest.find(u'\r') == std::u16string_view::npos)
        return ContainsFolded(dest, foldedNeedle, scratch);
    return ContainsFolded(DestinationFromCell(dest), foldedNeedle, scratch);
}

void TaskFilter::SetText(std::u16string_view text) {
    text_ = std::u16string(text);
    needle_ = CaseFolded(text);
    Rebuild();
}

void TaskFilter::Rebuild() {
    rows_.clear();
    if (!active()) return;
    const int count = table_->taskCount();
    for (int row = 0; row < count; ++row)
        if (TaskRowMatches(*table_, row, needle_, scratch_)) rows_.push_back(row);
}

int TaskFilter::visibleCount() const {
    return active() ? static_cast<int>(rows_.size()) : table_->taskCount();
}

int TaskFilter::TableRow(int visibleRow) const {
    if (visibleRow < 0 || visibleRow >= visibleCount()) return -1;
    const int row = active() ? rows_[static_cast<std::size_t>(visibleRow)] : visibleRow;
    // A map not yet rebuilt after rows went away points at none of them.
    return row < table_->taskCount() ? row : -1;
}

int TaskFilter::VisibleRow(int tableRow) const {
    if (tableRow < 0 || tableRow >= table_->taskCount()) return -1;
    if (!active()) return tableRow;
    const auto found = std::lower_bound(rows_.begin(), rows_.end(), tableRow);
    return found != rows_.end() && *found == tableRow ? static_cast<int>(found - rows_.begin())
                                                      : -1;
}

} // namespace keyvane

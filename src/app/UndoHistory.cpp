#include "app/UndoHistory.h"

#include <utility>

namespace keyvane {

void UndoHistory::Record(std::u16string name, Bytes before) {
    for (const Step& step : redo_)
        bytes_ -= step.table.size();
    redo_.clear();
    bytes_ += before.size();
    undo_.push_back({std::move(name), std::move(before)});
    Trim();
}

UndoHistory::Bytes UndoHistory::Swap(std::deque<Step>& from, std::deque<Step>& to, Bytes current,
                                     std::size_t& bytes) {
    if (from.empty()) return current;
    Step step = std::move(from.back());
    from.pop_back();
    bytes += current.size();
    bytes -= step.table.size();
    to.push_back({std::move(step.name), std::move(current)});
    return std::move(step.table);
}

UndoHistory::Bytes UndoHistory::Undo(Bytes current) {
    Bytes table = Swap(undo_, redo_, std::move(current), bytes_);
    Trim();
    return table;
}

UndoHistory::Bytes UndoHistory::Redo(Bytes current) {
    Bytes table = Swap(redo_, undo_, std::move(current), bytes_);
    Trim();
    return table;
}

void UndoHistory::Clear() {
    undo_.clear();
    redo_.clear();
    bytes_ = 0;
}

void UndoHistory::Trim() {
    // The oldest undo goes first, then the farthest redo; the newest step of
    // each side stays whatever its size, so one change can always be undone.
    while (undo_.size() > maxSteps_ ||
           (bytes_ > maxBytes_ && (undo_.size() > 1 || redo_.size() > 1))) {
        std::deque<Step>& side = undo_.size() > 1 || redo_.size() <= 1 ? undo_ : redo_;
        bytes_ -= side.front().table.size();
        side.pop_front();
    }
    while (redo_.size() > maxSteps_) {
        bytes_ -= redo_.front().table.size();
        redo_.pop_front();
    }
}

} // namespace keyvane

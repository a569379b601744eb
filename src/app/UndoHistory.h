// The table's undo and redo history, in memory only. A step is the task list
// as the file would hold it (its encoded bytes) before a change, and the name
// the Edit menu shows for that change. Bytes are what the table round-trips
// exactly, and far smaller than the table's own rows, so 10,000 tasks cost
// about a megabyte or two per step; the history keeps at most kMaxSteps
// steps and kMaxBytes in all, dropping the oldest first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace keyvane {

class UndoHistory {
  public:
    static constexpr std::size_t kMaxSteps = 50;
    static constexpr std::size_t kMaxBytes = std::size_t{32} << 20;

    using Bytes = std::vector<std::uint8_t>;

    explicit UndoHistory(std::size_t maxSteps = kMaxSteps, std::size_t maxBytes = kMaxBytes)
        : maxSteps_(maxSteps), maxBytes_(maxBytes) {}

    // A change named name ("Delete All") left the table that before held.
    // Forgets what could be redone.
    void Record(std::u16string name, Bytes before);

    bool canUndo() const { return !undo_.empty(); }
    bool canRedo() const { return !redo_.empty(); }
    // The names of the change the next Undo or Redo takes back or makes
    // again; empty when there is none.
    std::u16string undoName() const { return undo_.empty() ? u"" : undo_.back().name; }
    std::u16string redoName() const { return redo_.empty() ? u"" : redo_.back().name; }

    // Takes the table as it is now (current) and gives the table to put in
    // its place; the step moves to the other side. Without a step, gives
    // current back unchanged.
    Bytes Undo(Bytes current);
    Bytes Redo(Bytes current);

    void Clear();
    // What the steps of both sides hold, in bytes.
    std::size_t bytes() const { return bytes_; }
    std::size_t undoCount() const { return undo_.size(); }

  private:
    struct Step {
        std::u16string name;
        Bytes table;
    };
    static Bytes Swap(std::deque<Step>& from, std::deque<Step>& to, Bytes current,
                      std::size_t& bytes);
    void Trim();

    std::size_t maxSteps_;
    std::size_t maxBytes_;
    std::deque<Step> undo_; // oldest first
    std::deque<Step> redo_; // farthest first
    std::size_t bytes_ = 0;
};

} // namespace keyvane

// The task list file on disk: the one way the program loads and saves its
// tasks. It owns the file policy: saves are atomic; nothing is saved before
// a load; a task list that is there but cannot be parsed is never
// overwritten (its first save moves it aside under a name no earlier rescue
// holds); and one that could not even be opened (another program holds it)
// is left where it is and read again before the first save.
#pragma once

#include "tasks/TaskTable.h"

#include <optional>
#include <string>
#include <vector>

namespace keyvane {

// loadTaskList and saveTaskList are the design's names, kept as it spells
// them.
class TaskListStore {
  public:
    // path: the full path of data\actions.cfg.
    explicit TaskListStore(std::u16string path) : path_(std::move(path)) {}

    const std::u16string& path() const { return path_; }

    struct LoadResult {
        enum class Kind {
            Loaded,
            Missing,
            // Parsed badly: moved aside at the next save.
            Unreadable,
            // Could not be opened or read: kept in place, read again before the next save.
            Unopened,
        } kind = Kind::Missing;
        // Unreadable and Unopened: what was wrong, naming the file.
        std::string reason;
        // Unreadable: where the file will be kept when the program first saves.
        std::u16string rescuePath;
    };
    // Replaces the table's rows with the file's tasks. A missing file leaves
    // the table empty; so does one that cannot be read (see the kinds).
    // Removes the temporary files of interrupted saves first. Never throws
    // for the file's sake.
    LoadResult loadTaskList(TaskTable& table);

    // True once a load has run: before it, saveTaskList refuses.
    bool loaded() const { return state_ != State::NotLoaded; }
    // An Unopened load that no read has settled yet.
    bool unopened() const { return state_ == State::Unopened; }

    // After an Unopened load, reads the file again: its records when it
    // can now be read and parsed (the caller puts them before the rows it
    // has), nothing when there is nothing to merge. Throws IoError while it
    // still cannot be opened. A file that now fails to parse is kept aside at
    // the save that follows.
    std::optional<std::vector<TaskRecord>> retryUnopened();

    // Writes the whole table; throws IoError and leaves the old file when it
    // cannot. After an unreadable load it first moves that file aside. Throws
    // IoError before any load, and while an unopened file is still pending
    // (call retryUnopened first).
    void saveTaskList(const TaskTable& table);

    // The first of actions.cfg.bak, actions.cfg.1.bak, actions.cfg.2.bak, ...
    // that names no file.
    std::u16string FreeRescuePath() const;

  private:
    enum class State { NotLoaded, Normal, KeepAside, Unopened };
    State state_ = State::NotLoaded;
    std::u16string path_;
};

} // namespace keyvane

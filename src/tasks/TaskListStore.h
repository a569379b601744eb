// The task list file on disk: the one way the program loads and saves its
// tasks. It owns the file policy: saves are atomic, and a task list that is
// there but cannot be read is never overwritten; its first save moves it
// aside under a name no earlier rescue holds.
#pragma once

#include "tasks/TaskTable.h"

#include <string>

namespace keyvane {

class TaskListStore {
  public:
    // path: the full path of data\actions.cfg.
    explicit TaskListStore(std::u16string path) : path_(std::move(path)) {}

    const std::u16string& path() const { return path_; }

    struct LoadResult {
        enum class Kind { Loaded, Missing, Unreadable } kind = Kind::Missing;
        // Unreadable: what was wrong, naming the file; and where the file
        // will be kept when the program first saves.
        std::string reason;
        std::u16string rescuePath;
    };
    // Replaces the table's rows with the file's tasks. A missing file leaves
    // the table empty; so does an unreadable one, which the next save then
    // moves aside. Never throws for the file's sake.
    LoadResult loadTaskList(TaskTable& table);

    // Writes the whole table; throws IoError and leaves the old file when it
    // cannot. After an unreadable load it first moves that file aside.
    void saveTaskList(const TaskTable& table);

    // The first of actions.cfg.bak, actions.cfg.1.bak, actions.cfg.2.bak, ...
    // that names no file.
    std::u16string FreeRescuePath() const;

  private:
    std::u16string path_;
    bool keepUnreadable_ = false;
};

} // namespace keyvane

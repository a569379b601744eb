// The application core: the one object that owns the task table, its store,
// the hotkey registrations and the actions, and offers the program's
// operations. Portable: the windows read their controls, call it and show
// the result; the tests drive it with fakes.
#pragma once

#include "actions/ActionOperations.h"
#include "hotkeys/HotKeyManager.h"
#include "tasks/TaskListStore.h"
#include "tasks/TaskTable.h"

#include <memory>
#include <string>

namespace keyvane {

class AppCore {
  public:
    // taskListPath: the full path of data\actions.cfg. names: the keyboard
    // layout's names, set up at start, with which hotkey text is written and
    // read for the whole run. The actions may come later (setActions): on
    // Windows they need the editor's window.
    AppCore(std::u16string taskListPath, HotKeyNames names,
            std::unique_ptr<HotKeySystem> hotKeySystem,
            std::unique_ptr<ActionOperations> actions = nullptr);
    AppCore(const AppCore&) = delete;
    AppCore& operator=(const AppCore&) = delete;

    TaskTable& tasks() { return tasks_; }
    const TaskTable& tasks() const { return tasks_; }
    THotKeyManager& hotKeys() { return hotKeys_; }
    const HotKeyNames& hotKeyNames() const { return names_; }
    TaskListStore& store() { return store_; }
    void setActions(std::unique_ptr<ActionOperations> actions) { actions_ = std::move(actions); }

    // ---- Start-up and shutdown ----

    // Loads the task list into the table; never throws for the file's sake.
    // An unreadable file is reported in the result (the caller tells the
    // user once) and kept aside at the first save.
    TaskListStore::LoadResult LoadTaskList();
    // The registration pass: every row's hotkey that parses, enabled or not.
    void RegisterAllTaskHotKeys();
    // Gives back the registrations no row holds any more.
    void ReleaseUnusedHotKeys();
    // Ends every registration (the editor's destruction at exit).
    void ReleaseAllHotKeys();

    // The one save path: the whole table to the task list file. Throws
    // IoError, leaving the old file.
    void SaveTaskList();

    // ---- A hotkey press ----
    void HotKeyPressed(HotKeyCode code);

  private:
    HotKeyNames names_;
    TaskTable tasks_;
    TaskListStore store_;
    THotKeyManager hotKeys_;
    std::unique_ptr<ActionOperations> actions_;
};

} // namespace keyvane

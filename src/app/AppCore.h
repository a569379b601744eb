// The application core: the one object that owns the task table, its store,
// the hotkey registrations and the actions, and offers the program's
// operations. Portable: the windows read their controls, call it and show
// the result; the tests drive it with fakes.
#pragma once

#include "actions/ActionOperations.h"
#include "app/TaskEditor.h"
#include "app/TaskIcons.h"
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

    // ---- Task commands of the main window; each saves at once ----

    // Removes every selected row, saves, and gives their hotkeys back.
    void DeleteSelectedTasks();
    // Removes every row, saves, gives every hotkey back.
    void DeleteAllTasks();
    // Moves the current row one place; false (nothing changed, nothing
    // saved) at the ends of the table or without a current row.
    bool MoveCurrentTask(int step);
    // Flips a row's Enabled box and saves (a click or Space on the box).
    void ToggleEnabled(int row);

    // ---- The task editor ----

    // While the editor is open the hotkey field must receive the keys, so
    // every registration is given back; the editor's close brings them back.
    void SuspendHotKeys();
    void ResumeHotKeys();
    // OK after the window filled an empty destination: writes the row,
    // saves, registers, gives back what no row holds, and renumbers the
    // icons. appendedRow: -1 when the editor opens; set to the row an OK
    // appended, so that when the save fails (IoError; the row stays) the
    // next OK updates that row instead of appending a second copy.
    void CommitEditor(const EditorCommit& commit, const EditPreset* preset, int& appendedRow);

    // ---- Import of version 1.2 lists ----

    // Appends the file's tasks, all or nothing, and renumbers the icons so
    // the new rows show their own pictures. False when the file cannot be
    // read or walked: nothing is appended (the window says "Error!").
    // Throws TableFullError when the tasks would not fit.
    bool ImportVersion12List(const std::u16string& path);
    // Every import ends so, whether or not a file was chosen: the save and
    // the registration pass.
    void FinishImport();

    // Renumbers the Image cells and tells the window which pictures to draw.
    const IconPlan& RebuildTaskIcons();
    const IconPlan& iconPlan() const { return iconPlan_; }

  private:
    HotKeyNames names_;
    TaskTable tasks_;
    TaskListStore store_;
    THotKeyManager hotKeys_;
    std::unique_ptr<ActionOperations> actions_;
    IconPlan iconPlan_;
};

} // namespace keyvane

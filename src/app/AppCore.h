// The application core: the one object that owns the task table, its store,
// the hotkey registrations and the actions, and runs the program's life:
// start (load, registration pass, start-up reports), editing, import and
// exit. Portable: the windows read their controls, call it and show the
// result; the tests drive it with fakes.
#pragma once

#include "actions/ActionOperations.h"
#include "app/options/OptionFiles.h"
#include "app/ForegroundWatch.h"
#include "app/TaskEditor.h"
#include "app/TaskFilter.h"
#include "app/TaskIcons.h"
#include "app/UndoHistory.h"
#include "hotkeys/HotKeyManager.h"
#include "tasks/TaskListStore.h"
#include "tasks/TaskTable.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace keyvane {

// Which task commands can act now; the window greys out the others.
struct TaskCommands {
    bool edit = false;      // one row selected, and it is the current row
    bool remove = false;    // some row selected
    bool removeAll = false; // the grid shows some row
    bool moveUp = false;    // the current row is not the table's first
    bool moveDown = false;  // nor its last
};

// What a change of the core touched, so a window redraws just that.
struct CoreChange {
    bool rows = false;      // rows added, removed, moved, sorted or edited
    bool selection = false; // the selected rows or the current one
    bool icons = false;     // the icon plan was made again
    bool marks = false;     // registrations, so the rows' hotkey marks
    bool pause = false;     // the user paused or resumed the hotkeys
    bool options = false;   // the pause hotkey
};

// The grid's right-click menu on one row, which is the current row.
struct TaskMenu {
    int row = -1;
    std::u16string_view enableItem; // "Enable", or "Disable" when ticked
    bool canRun = false;            // greyed for a Desc that names no action
};

// One run of the task editor, from Add or Edit to its close.
struct EditSession {
    bool adding = true;
    // What the fields showed: the row of an Edit, or the fields an Add was
    // given (a dropped file).
    std::optional<EditPreset> preset;
    // The row an OK of this session appended, or -1; a second OK after a
    // failed save updates it instead of appending another.
    int appendedRow = -1;
};

class AppCore {
  public:
    // taskListPath: the full path of data\actions.cfg. names: the keyboard
    // layout's names, set up at start, with which hotkey text is written and
    // read for the whole run. The actions may come later (setActions), as
    // long as it is before the first hotkey press can arrive.
    AppCore(std::u16string taskListPath, HotKeyNames names,
            std::unique_ptr<HotKeySystem> hotKeySystem,
            std::unique_ptr<ActionOperations> actions = nullptr);
    AppCore(const AppCore&) = delete;
    AppCore& operator=(const AppCore&) = delete;

    // What the windows show. They change the table only through the
    // operations below, and learn of every change from the listener: once
    // per operation, after its save, with what it touched.
    const TaskTable& table() const { return tasks_; }
    void setChangeListener(std::function<void(const CoreChange&)> listener) {
        changed_ = std::move(listener);
    }
    // For the tests only: the table and registrations as they are.
    TaskTable& tasks() { return tasks_; }
    THotKeyManager& hotKeys() { return hotKeys_; }
    const HotKeyNames& hotKeyNames() const { return names_; }
    // What the grid marks on a row's hotkey.
    HotKeyState HotKeyStateOfTask(int row) const;
    // Every power off, reboot and log off the actions ask for saves first
    // (SaveBeforeSessionEnds).
    void setActions(std::unique_ptr<ActionOperations> actions);
    // The option files, kept for the main window (none in most tests).
    void setOptionFiles(std::unique_ptr<OptionFiles> files) { optionFiles_ = std::move(files); }

    // ---- The program's life ----

    // Runs before any window exists: loads the task list (removing leftovers
    // of interrupted saves), renumbers the icons and registers the hotkeys.
    // A task list that cannot be read becomes a start-up report. Never
    // throws for the file's sake.
    void Start();
    // The main window, once it exists (null before it goes): the option
    // files are applied to it; a damaged one becomes a start-up report.
    void AttachOptionsWindow(OptionsWindow* window);
    // What the user must be told about the start, once, after all windows
    // exist: the option files' reports first, then the task list's. Empty
    // when all went well; a second call returns nothing.
    std::vector<std::u16string> TakeStartupReports();
    // The last save, the release of every hotkey, then the options (in
    // silence). Throws IoError when the task list's save fails: nothing is
    // released then, so the program can go on.
    void Exit();
    // The save of an exit or a session end: as SaveTaskList, except that a
    // list still held by another program since the start, with no task made
    // meanwhile, is left alone in silence (there is nothing to keep).
    void SaveLastTime();
    // Before a power off, reboot or log off of our own, and when the system
    // ends the session: the task list (as SaveLastTime; throws IoError, and
    // a session of ours then goes on), then the options.
    void SaveBeforeSessionEnds();

    // ---- The option files (see OptionFiles) ----
    void LoadOptionsOnFirstActivation();
    void ReapplyWindowSize();
    // "Save": what it could not keep, as the user reads it; empty when it
    // kept everything.
    std::u16string SaveOptions();

    // The one save path: the whole table to the task list file. Refuses
    // (IoError) before Start. A task list that could not be opened at start
    // is read again first, and its tasks put before the rows made since.
    void SaveTaskList();

    // The registration pass: every row's hotkey that parses, enabled or not.
    // Registers nothing while paused.
    void RegisterAllTaskHotKeys();
    // Gives back the registrations no row holds any more.
    void ReleaseUnusedHotKeys();

    // ---- Pause ----
    // Paused, every task's hotkey is given back to the system and no
    // registration pass takes any; resuming registers them all again (after
    // the editor closes, when it is open). Never stored: every start is
    // unpaused. The change listener hears every switch, whoever made it
    // (the tray, the pause hotkey, a command line).
    void SetPaused(bool paused);
    bool paused() const { return paused_; }

    // The pause hotkey (0: none): a press switches the pause. It stays
    // registered while paused and while an edit has the tasks' hotkeys
    // given back, and a press of it runs no task. Returns whether the
    // system gave it; refused (another program holds it), it is kept all
    // the same and tried again at every registration pass.
    bool SetPauseHotKey(HotKeyCode code);
    HotKeyCode pauseHotKey() const { return pauseHotKey_; }
    // What the window says while paused: the ways to resume.
    std::u16string PausedNote() const;
    // A combination pressed in the Options page's pause field: set as the
    // pause hotkey unless refused (see AdvisePauseHotKey). The field then
    // shows pauseHotKey() and the text.
    std::u16string PressPauseField(HotKeyCode code);

    // ---- A task run by number (a command line's /run N) ----
    enum class RunResult { Ran, NoSuchTask, Disabled, NoAction };
    // Runs the action of task number (1 is the first row) once, as a press
    // would, also while paused: the pause is of the hotkeys. A disabled
    // task, as for a press, runs nothing. Errors of the action reach the
    // caller.
    RunResult RunTask(int number);
    // What RunTask would do, running nothing.
    RunResult TaskRunnable(int number) const;

    // ---- The program in front ----
    // A change of the window in front: tasks for some programs register and
    // give back their hotkeys to follow it (only theirs: tasks for all
    // programs never churn), and with the option on, a full-screen window
    // pauses every hotkey as Pause does, until another window comes in front.
    void ForegroundChanged(const ForegroundProgram& program);
    // "Pause while a full-screen program is in front".
    void SetPauseWhenFullScreen(bool pause);
    bool pauseWhenFullScreen() const { return pauseFullScreen_; }
    // Whether every hotkey is given back now: paused, or paused for the
    // full-screen window in front.
    bool suspended() const { return paused_ || (pauseFullScreen_ && fullScreenInFront_); }
    // Told at once when something must be known of the window in front
    // (ForegroundNeedOf), and at every change after; the watch it starts reports through
    // ForegroundChanged. When the need ends, nothing is known any more.
    void setForegroundWatchSwitch(std::function<void(ForegroundNeed)> onNeed);

    // ---- Undo and redo of the table's changes ----
    // Every operation that changes the table records a step, named as the
    // Edit menu shows it ("Delete All"). Undo and Redo put the table back,
    // save it, register and give back what no row holds; the history
    // follows the table, so a failed save (IoError) still moves the step.
    // Both do nothing (false) without a step or while the editor is open.
    bool CanUndo() const { return !edit_ && history_.canUndo(); }
    bool CanRedo() const { return !edit_ && history_.canRedo(); }
    std::u16string UndoName() const { return history_.undoName(); }
    std::u16string RedoName() const { return history_.redoName(); }
    bool Undo();
    bool Redo();
    const UndoHistory& history() const { return history_; }

    // ---- A hotkey press ----
    // Each press the hotkey manager hands on, the pause hotkey's among them.
    void HotKeyPressed(const HotKeyPress& press);
    // The grid's "Run now": the row's action, once, as a press of its hotkey
    // runs it, so a task can be tried without leaving the window. It runs
    // whether or not its box is ticked and while paused: the box and the
    // pause are about the hotkey, and the user asked for this task by name
    // (a script's /run N leaves a disabled task alone: see RunTask).
    // False (nothing run) for a row outside the table or a Desc that names
    // no action, and before the actions exist.
    bool RunTaskNow(int row);

    // ---- Failures the actions told (ActionFailure) ----
    // Queued in the order told; the listener hears of each at once, inside
    // the action, and must only ask for them to be shown later: the window
    // takes them and shows them without a box that waits for the user.
    void setActionFailureListener(std::function<void()> listener) {
        actionFailed_ = std::move(listener);
    }
    std::vector<std::u16string> TakeActionFailures() { return std::exchange(actionFailures_, {}); }

    // ---- Task commands of the main window; each saves at once ----

    // The grid's selection: the focused row (-1: none) and the selected rows.
    void SelectTasks(int focused, const std::vector<int>& selected);
    // Sorts by a column (a header click) and saves the new order.
    void SortTasks(Column column);
    // Removes every selected row, saves, and gives their hotkeys back.
    void DeleteSelectedTasks();
    // Removes every row (with a filter, every row it shows), saves, gives
    // their hotkeys back.
    void DeleteAllTasks();
    // Moves the current row one place; false (nothing changed, nothing
    // saved) at the ends of the table or without a current row.
    bool MoveCurrentTask(int step);
    TaskCommands AvailableTaskCommands() const;
    // A right click on a table row (-1: below the last one) or the menu
    // key (keyboard true: the current row). A click on a row other than the
    // current one makes it current, keeping a selection that holds it for
    // "Delete" and otherwise selecting it alone. None when no row is meant.
    std::optional<TaskMenu> OpenTaskMenu(int row, bool keyboard);
    // Flips a row's Enabled box and saves (a click or Space on the box).
    // Recorded as "Enable" or "Disable".
    void ToggleEnabled(int row);

    // ---- The task editor ----
    // An edit runs from Begin to End. Meanwhile every hotkey is given back,
    // so the editor's hotkey field receives the keys; End registers them
    // again, once, whatever the OKs between did.

    // Add: the editor's fields are set for a new task.
    void BeginAdd();
    // Add with the fields filled in (a file dropped on the window): the
    // editor shows them, and OK appends as after Add.
    const EditPreset& BeginAdd(const TaskFields& fields);
    // Edit: the current row's fields, or none without a current row (the
    // editor then keeps what it held, and OK appends).
    std::optional<EditPreset> BeginEdit();
    // OK after the window filled an empty destination: writes the row and
    // saves. What the user changed is judged against the edit's preset, so
    // a value the fields could not show is kept unless the user set one.
    // Throws IoError when the save fails; the row stays, and the next OK of
    // the same edit updates it instead of appending another.
    void CommitEdit(const TaskFields& fields);
    void EndEdit();
    bool editing() const { return edit_.has_value(); }
    // The row the last ended edit appended (its OK of Add), or -1: the
    // window selects it and scrolls it into view.
    int lastAppendedRow() const { return lastAppendedRow_; }

    // What the editor says of a combination the user pressed in its hotkey
    // field, and whether it refuses it. Asks the system whether another
    // program holds it (none of ours is held during an edit); the row being
    // edited does not count as another task with it.
    HotKeyAdvice AdviseEditorHotKey(HotKeyCode code);

    // ---- The grid's filter ----
    // The grid shows only the rows whose description, hotkey or destination
    // contain the text, letter case aside; empty text shows all. Hidden rows
    // are never selected nor current, so every command acts on rows the
    // user sees, Delete All too (Move still moves within the whole table).

    void SetTaskFilter(std::u16string_view text);
    const TaskFilter& taskFilter() const { return filter_; }

    // ---- Import of version 1.2 lists ----

    // Appends the file's tasks, all or nothing, and renumbers the icons so
    // the new rows show their own pictures. False when the file cannot be
    // read or walked: nothing is appended (the window says "Error!").
    // Throws TableFullError when the tasks would not fit.
    bool ImportVersion12List(const std::u16string& path);
    // Every import ends so, whether or not a file was chosen: the save and
    // the registration pass.
    void FinishImport();

    // Renumbers the Image cells; the window draws the plan's pictures.
    const IconPlan& RebuildTaskIcons();
    const IconPlan& iconPlan() const { return iconPlan_; }

  private:
    // The table as a step keeps it.
    UndoHistory::Bytes TableBytes() const;
    struct Step {
        std::u16string name; // as the Edit menu shows it
        UndoHistory::Bytes before;
    };
    // What follows every change of the table, in one place: the step for
    // Undo, the save, new pictures when rows got new actions (renumbered
    // after the save, as the file keeps the numbers its rows had), the
    // registrations (after an edit ends, when one is open), the filter, and
    // the listener. A failed save (IoError) is thrown after all the rest
    // has followed the table.
    void FinishChange(std::optional<Step> step, bool newPictures);
    // The filter matched again, hidden rows let go, the listener told.
    void FollowTable(CoreChange change);
    void Tell(const CoreChange& change) {
        if (changed_) changed_(change);
    }
    bool PutBack(bool undo);
    // Gives every hotkey back, or registers them again, when suspended()
    // is no longer what it was.
    void FollowSuspension(bool wasSuspended);
    void DeselectHiddenTasks();
    // Tells the watch's switch when the need changed.
    void FollowForegroundNeed();

    HotKeyNames names_;
    TaskTable tasks_;
    TaskFilter filter_{tasks_};
    TaskListStore store_;
    THotKeyManager hotKeys_;
    std::unique_ptr<ActionOperations> actions_;
    std::unique_ptr<OptionFiles> optionFiles_;
    OptionsWindow* optionsWindow_ = nullptr;
    IconPlan iconPlan_;
    std::optional<EditSession> edit_;
    int lastAppendedRow_ = -1;
    UndoHistory history_;
    bool paused_ = false;
    bool pauseFullScreen_ = false;
    bool fullScreenInFront_ = false;
    ForegroundNeed foregroundNeed_;
    std::function<void(ForegroundNeed)> watchSwitch_;
    HotKeyCode pauseHotKey_ = 0;
    std::vector<std::u16string> optionReports_;
    std::u16string taskListReport_;
    std::function<void(const CoreChange&)> changed_;
    std::vector<std::u16string> actionFailures_;
    std::function<void()> actionFailed_;
};

} // namespace keyvane

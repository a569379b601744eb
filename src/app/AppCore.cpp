#include "app/AppCore.h"

#include "actions/Dispatch.h"
#include "app/Version12List.h"
#include "base/AppInfo.h"
#include "base/Text.h"

#include <algorithm>
#include <stdexcept>

namespace keyvane {

AppCore::AppCore(std::u16string taskListPath, HotKeyNames names,
                 std::unique_ptr<HotKeySystem> hotKeySystem,
                 std::unique_ptr<ActionOperations> actions)
    : names_(std::move(names)), store_(std::move(taskListPath)), hotKeys_(std::move(hotKeySystem)),
      actions_(nullptr) {
    setActions(std::move(actions));
    hotKeys_.OnHotKeyPressed = [this](const HotKeyPress& press) { HotKeyPressed(press); };
}

void AppCore::Start() {
    using Kind = TaskListStore::LoadResult::Kind;
    const auto loaded = store_.loadTaskList(tasks_);
    if (loaded.kind == Kind::Unreadable) {
        // Starting with no tasks in silence would look like they were lost.
        taskListReport_ = FromUtf8(loaded.reason) + std::u16string(kUnreadableListBefore) +
                          loaded.rescuePath + std::u16string(kUnreadableListAfter);
    } else if (loaded.kind == Kind::Unopened) {
        taskListReport_ = FromUtf8(loaded.reason) + std::u16string(kUnopenedListNote);
    }
    RebuildTaskIcons();
    RegisterAllTaskHotKeys();
    FollowForegroundNeed();
}

void AppCore::AttachOptionsWindow(OptionsWindow* window) {
    optionsWindow_ = window;
    if (!window || !optionFiles_) return;
    std::u16string report = optionFiles_->LoadAtStart(*window);
    if (!report.empty()) optionReports_.push_back(std::move(report));
}

void AppCore::LoadOptionsOnFirstActivation() {
    if (optionFiles_ && optionsWindow_) optionFiles_->LoadOnFirstActivation(*optionsWindow_);
}

void AppCore::ReapplyWindowSize() {
    if (optionFiles_ && optionsWindow_) optionFiles_->ReapplyWindowSize(*optionsWindow_);
}

std::u16string AppCore::SaveOptions() {
    if (!optionFiles_ || !optionsWindow_) return {};
    return SaveSettingsReportText(optionFiles_->Save(*optionsWindow_));
}

std::vector<std::u16string> AppCore::TakeStartupReports() {
    std::vector<std::u16string> reports = std::move(optionReports_);
    optionReports_.clear();
    if (!taskListReport_.empty()) reports.push_back(std::move(taskListReport_));
    taskListReport_.clear();
    return reports;
}

void AppCore::Exit() {
    // The tasks first: their save makes the data folder on a first start,
    // which the option files need.
    SaveLastTime();
    hotKeys_.ReleaseAllRegistrations();
    SaveOptions(); // the exit stays silent about the options; "Save" tells
}

void AppCore::SaveLastTime() {
    if (!store_.loaded()) return;
    try {
        SaveTaskList();
    } catch (const IoError&) {
        if (!(store_.unopened() && tasks_.taskCount() == 0)) throw;
    }
}

void AppCore::setActions(std::unique_ptr<ActionOperations> actions) {
    actions_ = std::move(actions);
    if (!actions_) return;
    actions_->setBeforeSessionEnds([this] { SaveBeforeSessionEnds(); });
    actions_->setFailureListener([this](std::u16string text) {
        actionFailures_.push_back(std::move(text));
        if (actionFailed_) actionFailed_();
    });
}

void AppCore::SaveBeforeSessionEnds() {
    // The tasks first: their save makes the data folder the options need.
    SaveLastTime();
    SaveOptions();
}

void AppCore::SaveTaskList() {
    if (auto fileRecords = store_.retryUnopened()) {
        // The file is readable at last: its tasks come first, then what the
        // user made meanwhile, so neither is lost.
        std::vector<TaskRecord> merged = std::move(*fileRecords);
        for (const TaskRecordView& view : tasks_.records().records) {
            TaskRecord& record = merged.emplace_back();
            for (int f = 0; f < kTaskFieldCount; ++f)
                record.fields[static_cast<std::size_t>(f)] =
                    std::u16string(view.fields[static_cast<std::size_t>(f)]);
        }
        if (merged.size() > static_cast<std::size_t>(kMaxTasks))
            throw TableFullError("The task list and the tasks added since start do not fit "
                                 "into one table.");
        tasks_.setRecords(std::move(merged));
        // The steps knew a table without the file's tasks: putting one back
        // would drop them at the next save.
        history_.Clear();
        RebuildTaskIcons();
        if (!edit_) RegisterAllTaskHotKeys();
        FollowTable({.rows = true, .selection = true, .icons = true, .marks = !edit_});
    }
    store_.saveTaskList(tasks_);
}

void AppCore::FinishChange(std::optional<Step> step, bool newPictures) {
    if (step) history_.Record(step->name, std::move(step->before));
    const auto follow = [&] {
        if (newPictures) RebuildTaskIcons();
        if (!edit_) {
            RegisterAllTaskHotKeys();
            ReleaseUnusedHotKeys();
        }
        FollowTable({.rows = true, .selection = true, .icons = newPictures, .marks = !edit_});
    };
    try {
        SaveTaskList();
    } catch (...) {
        follow();
        throw;
    }
    follow();
}

TaskCommands AppCore::AvailableTaskCommands() const {
    TaskCommands can;
    const int current = tasks_.currentTask(), count = tasks_.taskCount();
    int selected = 0;
    for (int row = 0; row < count && selected < 2; ++row)
        selected += tasks_.isTaskSelected(row) ? 1 : 0;
    can.edit = selected == 1 && current >= 0 && tasks_.isTaskSelected(current);
    can.remove = selected > 0;
    can.removeAll = filter_.visibleCount() > 0;
    can.moveUp = current > 0;
    can.moveDown = current >= 0 && current < count - 1;
    return can;
}

void AppCore::FollowTable(CoreChange change) {
    filter_.Rebuild();
    DeselectHiddenTasks();
    FollowForegroundNeed();
    Tell(change);
}

std::optional<TaskMenu> AppCore::OpenTaskMenu(int row, bool keyboard) {
    if (!keyboard) {
        if (row < 0 || row >= tasks_.taskCount()) return std::nullopt; // below the last row
        if (row != tasks_.currentTask()) {
            std::vector<int> selected;
            if (tasks_.isTaskSelected(row))
                for (int r = 0; r < tasks_.taskCount(); ++r)
                    if (tasks_.isTaskSelected(r)) selected.push_back(r);
            if (selected.empty()) selected.push_back(row);
            SelectTasks(row, selected);
        }
    }
    TaskMenu menu;
    menu.row = tasks_.currentTask();
    if (menu.row < 0) return std::nullopt;
    menu.enableItem = tasks_.cellFlag(Column::Enabled, menu.row) ? kDisableItem : kEnableItem;
    menu.canRun = ActionFromName(tasks_.textCell(Column::Desc, menu.row)).has_value();
    return menu;
}

HotKeyState AppCore::HotKeyStateOfTask(int row) const {
    const HotKeyState state = HotKeyStateOf(tasks_.textCell(Column::Hotkey, row), names_, hotKeys_);
    if (state == HotKeyState::NotRegistered && suspended()) return HotKeyState::Paused;
    if (state == HotKeyState::NotRegistered &&
        !FieldAdmits(tasks_.textCell(Column::Programs, row), hotKeys_.foregroundProgram()))
        return HotKeyState::OtherPrograms;
    return state;
}

void AppCore::RegisterAllTaskHotKeys() {
    // A pause hotkey another program held may be free by now.
    if (pauseHotKey_) hotKeys_.AddRegistration(pauseHotKey_);
    if (suspended()) return;
    hotKeys_.RegisterAllTaskHotKeys(tasks_, names_);
}

void AppCore::ReleaseUnusedHotKeys() {
    if (!edit_) hotKeys_.ReleaseUnusedRegistrations(tasks_, names_);
}

void AppCore::HotKeyPressed(const HotKeyPress& press) {
    // Presses arrive only from the message loop, after the actions exist.
    // A press queued before the pause gave its hotkey back does nothing.
    if (pauseHotKey_ && (press.HotKey & ~kKeypadBit) == (pauseHotKey_ & ~kKeypadBit)) {
        SetPaused(!paused_);
        return;
    }
    if (actions_ && !suspended()) DispatchHotKeyPress(tasks_, press, *actions_, names_);
}

AppCore::RunResult AppCore::TaskRunnable(int number) const {
    if (number < 1 || number > tasks_.taskCount()) return RunResult::NoSuchTask;
    const int row = number - 1;
    if (!tasks_.cellFlag(Column::Enabled, row)) return RunResult::Disabled;
    if (!ActionFromName(tasks_.textCell(Column::Desc, row)) || !actions_)
        return RunResult::NoAction;
    return RunResult::Ran;
}

AppCore::RunResult AppCore::RunTask(int number) {
    const RunResult runnable = TaskRunnable(number);
    if (runnable != RunResult::Ran) return runnable;
    RunTaskNow(number - 1);
    return RunResult::Ran;
}

bool AppCore::RunTaskNow(int row) {
    if (!actions_ || row < 0 || row >= tasks_.taskCount()) return false;
    // A copy, as for a press: the action may let the table change.
    const std::optional<PressedTask> task = TaskOfRow(tasks_, row);
    if (!task) return false;
    RunTaskAction(*task, *actions_, names_);
    return true;
}

void AppCore::SelectTasks(int focused, const std::vector<int>& selected) {
    const int count = tasks_.taskCount();
    std::vector<bool> wanted(static_cast<std::size_t>(count));
    for (int row : selected)
        if (row >= 0 && row < count) wanted[static_cast<std::size_t>(row)] = true;
    const bool newCurrent = focused >= 0 && focused < count && focused != tasks_.currentTask();
    bool changed = newCurrent;
    if (newCurrent) tasks_.selectTask(focused);
    for (int row = 0; row < count; ++row) {
        if (tasks_.isTaskSelected(row) == wanted[static_cast<std::size_t>(row)]) continue;
        tasks_.setTaskSelected(row, wanted[static_cast<std::size_t>(row)]);
        changed = true;
    }
    // The grid hands back the selection it was just given: no news then.
    if (changed) Tell({.selection = true});
}

void AppCore::SortTasks(Column column) {
    UndoHistory::Bytes before = TableBytes();
    tasks_.sortByColumn(kColumns[static_cast<std::size_t>(column)].name);
    FinishChange(Step{u"Sort", std::move(before)}, false);
}

void AppCore::DeleteSelectedTasks() {
    UndoHistory::Bytes before = TableBytes();
    const int count = tasks_.taskCount();
    for (int row = 0; row < tasks_.taskCount();) {
        if (tasks_.isTaskSelected(row))
            tasks_.removeTask(row); // the following rows move up
        else
            ++row;
    }
    std::optional<Step> step;
    if (tasks_.taskCount() < count) step = Step{u"Delete", std::move(before)};
    FinishChange(std::move(step), false);
}

void AppCore::DeleteAllTasks() {
    if (filter_.active()) {
        // "All" is every row the user sees; the hidden ones stay.
        tasks_.selectTask(-1);
        for (int v = 0; v < filter_.visibleCount(); ++v)
            tasks_.setTaskSelected(filter_.TableRow(v), true);
        DeleteSelectedTasks();
        return;
    }
    std::optional<Step> step;
    if (tasks_.taskCount() > 0) step = Step{u"Delete All", TableBytes()};
    tasks_.removeAllTasks();
    FinishChange(std::move(step), false);
}

bool AppCore::MoveCurrentTask(int step) {
    const int from = tasks_.currentTask();
    const int to = from + step;
    if (from < 0 || to < 0 || to >= tasks_.taskCount() || step == 0) return false;
    Step move{u"Move", TableBytes()};
    tasks_.moveTask(from, to);
    tasks_.selectTask(to);
    FinishChange(std::move(move), false);
    return true;
}

void AppCore::ToggleEnabled(int row) {
    const bool enabled = tasks_.cellFlag(Column::Enabled, row);
    Step step{enabled ? u"Disable" : u"Enable", TableBytes()};
    tasks_.setCellText(Column::Enabled, row, enabled ? u"False" : u"True");
    FinishChange(std::move(step), false);
}

void AppCore::SetTaskFilter(std::u16string_view text) {
    filter_.SetText(text);
    DeselectHiddenTasks();
    Tell({.rows = true, .selection = true});
}

void AppCore::DeselectHiddenTasks() {
    if (!filter_.active()) return;
    const int current = tasks_.currentTask();
    if (current >= 0 && filter_.VisibleRow(current) < 0) {
        // No current row then: Edit must not open a task the user cannot see.
        std::vector<int> kept;
        for (int v = 0; v < filter_.visibleCount(); ++v)
            if (tasks_.isTaskSelected(filter_.TableRow(v))) kept.push_back(filter_.TableRow(v));
        tasks_.selectTask(-1);
        for (int row : kept)
            tasks_.setTaskSelected(row, true);
        return;
    }
    for (int row = 0; row < tasks_.taskCount(); ++row)
        if (tasks_.isTaskSelected(row) && filter_.VisibleRow(row) < 0)
            tasks_.setTaskSelected(row, false);
}

bool AppCore::ImportVersion12List(const std::u16string& path) {
    std::vector<TaskRecord> records;
    try {
        records = ReadVersion12ListFile(path);
    } catch (const Version12ListError&) {
        return false;
    } catch (const IoError&) {
        return false;
    }
    UndoHistory::Bytes before = TableBytes();
    AppendImportedTasks(tasks_, records); // all or nothing
    if (!records.empty()) history_.Record(u"Import", std::move(before));
    // Before the save of FinishImport, so the file has the new rows' own
    // picture numbers.
    RebuildTaskIcons();
    FollowTable({.rows = true, .selection = true, .icons = true});
    return true;
}

void AppCore::FinishImport() {
    FinishChange(std::nullopt, false);
}

UndoHistory::Bytes AppCore::TableBytes() const {
    return EncodeTaskList(tasks_.records());
}

bool AppCore::Undo() {
    return PutBack(true);
}

bool AppCore::Redo() {
    return PutBack(false);
}

bool AppCore::PutBack(bool undo) {
    if (undo ? !CanUndo() : !CanRedo()) return false;
    UndoHistory::Bytes table = undo ? history_.Undo(TableBytes()) : history_.Redo(TableBytes());
    const int current = tasks_.currentTask();
    tasks_.setRecordsFromFile(table);
    tasks_.selectTask(std::min(current, tasks_.taskCount() - 1));
    // The file gets back the very bytes it held: the step is the history's.
    FinishChange(std::nullopt, true);
    return true;
}

const IconPlan& AppCore::RebuildTaskIcons() {
    iconPlan_ = keyvane::RebuildTaskIcons(tasks_);
    return iconPlan_;
}

} // namespace keyvane

#include "app/AppCore.h"

#include "actions/Dispatch.h"
#include "app/Version12List.h"

namespace keyvane {

AppCore::AppCore(std::u16string taskListPath, HotKeyNames names,
                 std::unique_ptr<HotKeySystem> hotKeySystem,
                 std::unique_ptr<ActionOperations> actions)
    : names_(std::move(names)), store_(std::move(taskListPath)), hotKeys_(std::move(hotKeySystem)),
      actions_(std::move(actions)) {
    hotKeys_.OnHotKeyPressed = [this](HotKeyCode code, std::uint16_t) { HotKeyPressed(code); };
}

TaskListStore::LoadResult AppCore::LoadTaskList() {
    return store_.loadTaskList(tasks_);
}

void AppCore::RegisterAllTaskHotKeys() {
    hotKeys_.RegisterAllTaskHotKeys(tasks_, names_);
}

void AppCore::ReleaseUnusedHotKeys() {
    hotKeys_.ReleaseUnusedRegistrations(tasks_, names_);
}

void AppCore::ReleaseAllHotKeys() {
    hotKeys_.ReleaseAllRegistrations();
}

void AppCore::SaveTaskList() {
    store_.saveTaskList(tasks_);
}

void AppCore::HotKeyPressed(HotKeyCode code) {
    // Presses arrive only from the message loop, after the actions exist.
    if (actions_) DispatchHotKeyPress(tasks_, names_, code, *actions_);
}

void AppCore::DeleteSelectedTasks() {
    tasks_.beginBatch();
    for (int row = 0; row < tasks_.taskCount();) {
        if (tasks_.isTaskSelected(row))
            tasks_.removeTask(row); // the following rows move up
        else
            ++row;
    }
    tasks_.endBatch();
    SaveTaskList();
    ReleaseUnusedHotKeys();
}

void AppCore::DeleteAllTasks() {
    tasks_.removeAllTasks();
    SaveTaskList();
    ReleaseUnusedHotKeys();
}

bool AppCore::MoveCurrentTask(int step) {
    const int from = tasks_.currentTask();
    const int to = from + step;
    if (from < 0 || to < 0 || to >= tasks_.taskCount() || step == 0) return false;
    tasks_.moveTask(from, to);
    tasks_.selectTask(to);
    SaveTaskList();
    return true;
}

void AppCore::ToggleEnabled(int row) {
    tasks_.setCellText(Column::Enabled, row, tasks_.cellFlag(u"Enabled", row) ? u"False" : u"True");
    SaveTaskList();
}

void AppCore::SuspendHotKeys() {
    hotKeys_.ReleaseAllRegistrations();
}

void AppCore::ResumeHotKeys() {
    RegisterAllTaskHotKeys();
}

void AppCore::CommitEditor(const EditorCommit& commit, const EditPreset* preset, int& appendedRow) {
    const int count = tasks_.taskCount();
    const int row = WriteEditorRow(tasks_, names_, commit, preset, appendedRow);
    if (tasks_.taskCount() > count) appendedRow = row;
    SaveTaskList();
    RegisterAllTaskHotKeys();
    ReleaseUnusedHotKeys();
    RebuildTaskIcons();
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
    AppendImportedTasks(tasks_, records);
    RebuildTaskIcons();
    return true;
}

void AppCore::FinishImport() {
    SaveTaskList();
    RegisterAllTaskHotKeys();
}

const IconPlan& AppCore::RebuildTaskIcons() {
    iconPlan_ = keyvane::RebuildTaskIcons(tasks_);
    return iconPlan_;
}

} // namespace keyvane

#include "app/AppCore.h"

#include "actions/Dispatch.h"

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

} // namespace keyvane

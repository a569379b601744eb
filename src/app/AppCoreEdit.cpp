// The core's side of the task editor: an edit from Begin to End, its OKs,
// and what the editor says of a pressed combination.
#include "app/AppCore.h"

#include "base/AppInfo.h"
#include "base/Text.h"

#include <stdexcept>

namespace keyvane {

void AppCore::BeginAdd() {
    edit_ = EditSession{};
    hotKeys_.ReleaseTaskRegistrations();
}

const EditPreset& AppCore::BeginAdd(const TaskFields& fields) {
    BeginAdd();
    edit_->preset = EditPreset{fields};
    return *edit_->preset;
}

std::optional<EditPreset> AppCore::BeginEdit() {
    EditSession edit;
    edit.adding = false;
    if (tasks_.currentTask() >= 0) edit.preset = PresetForEdit(tasks_, names_);
    edit_ = std::move(edit);
    hotKeys_.ReleaseTaskRegistrations();
    return edit_->preset;
}

void AppCore::CommitEdit(const TaskFields& fields) {
    if (!edit_) return;
    // The window says so under the line before it asks; nothing is written.
    if (const std::u16string error = ProgramsFieldError(fields); !error.empty())
        throw std::invalid_argument(ToUtf8(error));
    if (const std::u16string error = DestinationFieldError(names_, fields); !error.empty())
        throw std::invalid_argument(ToUtf8(error));
    const EditPreset* preset = edit_->adding || !edit_->preset ? nullptr : &*edit_->preset;
    EditorCommit written{fields, edit_->adding};
    if (preset) {
        written.actionPicked = fields.action != preset->fields.action;
        written.hotKeyChanged = fields.hotKey != preset->fields.hotKey;
    }
    int& appendedRow = edit_->appendedRow;
    const int count = tasks_.taskCount();
    UndoHistory::Bytes before = TableBytes();
    const int row = WriteEditorRow(tasks_, names_, written, preset, appendedRow);
    const bool appended = tasks_.taskCount() > count;
    if (appended) appendedRow = row;
    FinishChange(Step{appended ? u"Add" : u"Edit", std::move(before)}, true);
}

void AppCore::EndEdit() {
    if (!edit_) return;
    lastAppendedRow_ = edit_->appendedRow;
    edit_.reset();
    // The one registration pass of the edit, then what no row holds goes.
    RegisterAllTaskHotKeys();
    ReleaseUnusedHotKeys();
}

HotKeyAdvice AppCore::AdviseEditorHotKey(HotKeyCode code) {
    if (code == 0 || TakesTyping(names_, code)) return AdviseHotKey(names_, code, false, {});
    // A task on the pause hotkey would never run: its press pauses.
    if (pauseHotKey_ && (code & ~kKeypadBit) == (pauseHotKey_ & ~kKeypadBit))
        return {true, std::u16string(kNotTakenPrefix) + HotKeyCodeToText(names_, code) +
                          std::u16string(kIsPauseHotKeyText)};
    int skipRow = -1;
    if (edit_)
        skipRow = edit_->appendedRow >= 0 ? edit_->appendedRow
                  : edit_->adding         ? -1
                                          : tasks_.currentTask();
    return AdviseHotKey(names_, code, hotKeys_.IsHeldElsewhere(code),
                        TasksWithHotKey(tasks_, names_, code, skipRow));
}

} // namespace keyvane

#include "app/TaskEditor.h"

#include "hotkeys/HotKeyText.h"
#include "tasks/TaskTable.h"
#include "tasks/TaskVocabulary.h"

#include <algorithm>

namespace keyvane {

EditPreset PresetForEdit(const TaskTable& table, const HotKeyNames& names) {
    const int row = table.currentTask();
    EditPreset preset;
    TaskFields& f = preset.fields;
    const std::u16string desc = table.cellText(Column::Desc, row); // throws when row is -1
    const std::u16string hotKey = table.cellText(Column::Hotkey, row);
    f.destination = table.cellText(Column::Dest, row);
    const std::u16string runType = table.cellText(Column::Type_run, row);

    f.action = ActionFromName(desc);
    preset.actionShown = f.action.has_value();

    preset.hotKeyShown = hotKey.empty() || CanShowInHotKeyField(names, hotKey);
    f.hotKey = preset.hotKeyShown ? ParseShortcutText(names, hotKey) : 0;

    // A run type that is none of the four leaves the first one, "Normal".
    const bool known = std::any_of(kRunTypes.begin(), kRunTypes.end(),
                                   [&](const RunType& type) { return type.name == runType; });
    f.runType = known ? runType : std::u16string(kRunTypes[0].name);
    return preset;
}

int WriteEditorRow(TaskTable& table, const HotKeyNames& names, const EditorCommit& commit,
                   const EditPreset* preset, int appendedRow) {
    const TaskFields& f = commit.fields;
    int row = commit.addMode ? -1 : table.currentTask();
    if (appendedRow >= 0 && appendedRow < table.taskCount()) row = appendedRow;
    const bool fresh = row < 0;
    if (fresh) row = table.appendTasks(1);

    table.beginBatch();
    if (fresh || commit.actionPicked || !preset || preset->actionShown)
        table.setCellText(Column::Desc, row,
                          f.action ? ActionName(*f.action) : std::u16string_view{});
    if (fresh || commit.hotKeyChanged || !preset || preset->hotKeyShown)
        table.setCellText(Column::Hotkey, row, HotKeyCodeToText(names, f.hotKey));
    table.setCellText(Column::Dest, row, f.destination);
    table.setCellText(Column::Type_run, row, f.runType);
    table.endBatch();
    return row;
}

DestinationFill DestinationFillFor(std::optional<Action> action) {
    if (action == Action::RunSelectedProgram) return DestinationFill::AskForProgram;
    if (action == Action::OpenCdRom || action == Action::CloseCdRom)
        return DestinationFill::FirstCdDrive;
    return DestinationFill::None;
}

std::u16string FirstCdDrive(std::uint32_t driveMask,
                            const std::function<unsigned(char16_t letter)>& driveType) {
    constexpr unsigned kCdRom = 5;
    for (int i = 0; i < 26; ++i) {
        const char16_t letter = static_cast<char16_t>(u'A' + i);
        if ((driveMask >> i) & 1u && driveType(letter) == kCdRom) return std::u16string(1, letter);
    }
    return {};
}

} // namespace keyvane

#include "app/TaskEditor.h"

#include "hotkeys/HotKeyManager.h"
#include "tasks/TaskTable.h"

#include <algorithm>

namespace keyvane {

EditPreset PresetForEdit(const TaskTable& table) {
    const int row = table.currentTask();
    EditPreset preset;
    TaskFields& f = preset.fields;
    const std::u16string desc = table.cellText(Column::Desc, row); // throws when row is -1
    const std::u16string hotKey = table.cellText(Column::Hotkey, row);
    f.destination = table.cellText(Column::Dest, row);
    const std::u16string runType = table.cellText(Column::Type_run, row);

    preset.actionShown =
        std::find(kActionNames.begin(), kActionNames.end(), desc) != kActionNames.end();
    if (preset.actionShown) f.action = desc;

    f.hotKey = ParseShortcutText(hotKey);
    preset.hotKeyShown = hotKey.empty() || f.hotKey != 0;

    // A run type that is none of the four leaves the first one, "Normal".
    f.runType = std::find(kRunTypes.begin(), kRunTypes.end(), runType) != kRunTypes.end()
                    ? runType
                    : std::u16string(kRunTypes[0]);
    return preset;
}

int WriteEditorRow(TaskTable& table, const EditorCommit& commit, const EditPreset* preset,
                   int appendedRow) {
    const TaskFields& f = commit.fields;
    int row = commit.addMode ? -1 : table.currentTask();
    if (appendedRow >= 0 && appendedRow < table.taskCount()) row = appendedRow;
    const bool fresh = row < 0;
    if (fresh) row = table.appendTasks(1);

    table.beginBatch();
    if (fresh || commit.actionPicked || !preset || preset->actionShown)
        table.setCellText(Column::Desc, row, f.action);
    if (fresh || commit.hotKeyChanged || !preset || preset->hotKeyShown)
        table.setCellText(Column::Hotkey, row, HotKeyCodeToText(f.hotKey));
    table.setCellText(Column::Dest, row, f.destination);
    table.setCellText(Column::Type_run, row, f.runType);
    table.endBatch();
    return row;
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

#include "app/TaskEditor.h"

#include "base/AppInfo.h"
#include "hotkeys/HotKeyCapture.h"
#include "hotkeys/HotKeyText.h"
#include "hotkeys/KeySequence.h"
#include "tasks/DestinationText.h"
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
    f.destination = DestinationFromCell(table.textCell(Column::Dest, row));
    const std::u16string runType = table.cellText(Column::Type_run, row);

    f.action = ActionFromName(desc);
    preset.actionShown = f.action.has_value();

    preset.hotKeyShown = hotKey.empty() || CanShowInHotKeyField(names, hotKey);
    f.hotKey = preset.hotKeyShown ? ParseShortcutText(names, hotKey) : 0;
    // A Win hotkey the program wrote shows as it is; OK writes it back alike.
    const HotKeyCode code = TextToHotKeyCode(names, hotKey);
    if ((code & kWinBit) && HotKeyCodeToText(names, code) == hotKey) {
        preset.hotKeyShown = true;
        f.hotKey = code;
    }

    // A run type that is none of the four leaves the first one, "Normal".
    const bool known = std::any_of(kRunTypes.begin(), kRunTypes.end(),
                                   [&](const RunType& type) { return type.name == runType; });
    f.runType = known ? runType : std::u16string(kRunTypes[0].name);

    // Fields this version cannot read show their defaults; OK keeps them
    // unless the user changes the line (WriteEditorRow).
    const std::u16string_view programs = table.textCell(Column::Programs, row);
    f.scope = ReadProgramScope(programs).kind;
    if (f.scope != ScopeKind::AllPrograms) f.programs = ProgramListText(programs);
    f.ifRunning = ReadIfRunning(table.textCell(Column::If_running, row)).choice;
    return preset;
}

std::u16string ProgramsFieldError(const TaskFields& fields) {
    if (fields.scope == ScopeKind::AllPrograms) return {};
    return CheckProgramList(fields.programs).error;
}

std::u16string DestinationFieldError(const HotKeyNames& names, const TaskFields& fields) {
    if (fields.action == Action::SendKeys && !ReadKeySequence(names, fields.destination))
        return std::u16string(kUnreadableKeysText);
    return {};
}

int WriteEditorRow(TaskTable& table, const HotKeyNames& names, const EditorCommit& commit,
                   const EditPreset* preset, int appendedRow) {
    const TaskFields& f = commit.fields;
    int row = commit.addMode ? -1 : table.currentTask();
    if (appendedRow >= 0 && appendedRow < table.taskCount()) row = appendedRow;
    const bool fresh = row < 0;
    if (fresh) row = table.appendTasks(1);

    if (fresh || commit.actionPicked || !preset || preset->actionShown)
        table.setCellText(Column::Desc, row,
                          f.action ? ActionName(*f.action) : std::u16string_view{});
    // A text that reads as the field's hotkey stays as it is: written under
    // another layout ("Ctrl+Й") it works as well, and the user changed nothing.
    const bool sameHotKey =
        !fresh && f.hotKey != 0 &&
        TextToHotKeyCode(names, table.textCell(Column::Hotkey, row)) == f.hotKey;
    if ((fresh || commit.hotKeyChanged || !preset || preset->hotKeyShown) && !sameHotKey)
        table.setCellText(Column::Hotkey, row, HotKeyCodeToText(names, f.hotKey));
    table.setCellText(Column::Dest, row, CellFromDestination(f.destination));
    table.setCellText(Column::Type_run, row, f.runType);
    // A line left as Edit showed it keeps the row's text, one this version
    // could not read included.
    const TaskFields* shown = fresh || !preset ? nullptr : &preset->fields;
    if (!shown || shown->scope != f.scope || shown->programs != f.programs) {
        const ProgramListCheck check = CheckProgramList(f.programs);
        table.setCellText(Column::Programs, row,
                          check.error.empty() ? ProgramScopeField(f.scope, check.names) : u"");
    }
    if (!shown || shown->ifRunning != f.ifRunning)
        table.setCellText(Column::If_running, row, IfRunningField(f.ifRunning));
    return row;
}

DestinationFill DestinationFillFor(std::optional<Action> action) {
    if (action == Action::RunSelectedProgram) return DestinationFill::AskForProgram;
    if (action == Action::OpenCdRom || action == Action::CloseCdRom)
        return DestinationFill::FirstCdDrive;
    return DestinationFill::None;
}

FieldsInUse FieldsUsedBy(std::optional<Action> action) {
    if (!action) return {};
    switch (*action) {
    case Action::RunSelectedProgram:
        return {true, true, true, true};
    case Action::CloseSelectedProgram:
        return {true, true, false, false};
    case Action::OpenWebsite:
        return {true, false, true, false};
    case Action::OpenCdRom:
    case Action::CloseCdRom:
    case Action::TypeText:
    case Action::SendKeys:
        return {true, false, false, false};
    case Action::RunMyComputer:
    case Action::RunMyDocuments:
    case Action::RunCalc:
    case Action::RunNotepad:
    case Action::RunCommandPrompt:
        return {false, false, true, false};
    case Action::PowerOff:
    case Action::Reboot:
    case Action::Hibernate:
    case Action::StandBy:
    case Action::LogOff:
    case Action::MinimizeAll:
        break;
    }
    return {false, false, false, false};
}

bool TakesTyping(const HotKeyNames& names, HotKeyCode code) {
    if (code == 0 || (code & (kCtrlBit | kAltBit | kWinBit))) return false;
    const HotKeyPair pair = SplitHotKeyCode(code);
    switch (pair.key) {
    case 8:  // Backspace
    case 9:  // Tab
    case 13: // Enter
    case 32: // Space
    case 37: // the arrows
    case 38:
    case 39:
    case 40:
        return true;
    default:
        break;
    }
    const std::u16string typed = names.TypedText(static_cast<std::uint8_t>(pair.key), pair.flags);
    return std::any_of(typed.begin(), typed.end(),
                       [](char16_t c) { return c >= u' ' && c != 0x7F; });
}

std::vector<int> TasksWithHotKey(const TaskTable& table, const HotKeyNames& names, HotKeyCode code,
                                 int skipRow) {
    std::vector<int> tasks;
    const HotKeyCode wanted = code & ~kKeypadBit;
    if (wanted == 0) return tasks;
    for (int row = 0; row < table.taskCount(); ++row) {
        if (row == skipRow) continue;
        if ((TextToHotKeyCode(names, table.textCell(Column::Hotkey, row)) & ~kKeypadBit) == wanted)
            tasks.push_back(row + 1);
    }
    return tasks;
}

namespace {

std::u16string Number(int n) {
    std::u16string text;
    for (char c : std::to_string(n))
        text += static_cast<char16_t>(c);
    return text;
}

// "Task 3 uses", "Tasks 3 and 5 use", "Tasks 3, 5, 8 and 2 more use".
std::u16string SharedText(const std::vector<int>& tasks) {
    constexpr std::size_t kNamed = 3;
    if (tasks.size() == 1) return u"Task " + Number(tasks[0]) + u" uses this hotkey too";
    std::u16string text = u"Tasks ";
    const std::size_t named = std::min(tasks.size(), kNamed);
    for (std::size_t i = 0; i < named; ++i) {
        if (i > 0) text += (i + 1 == named && tasks.size() <= kNamed) ? u" and " : u", ";
        text += Number(tasks[i]);
    }
    if (tasks.size() > kNamed)
        text += u" and " + Number(static_cast<int>(tasks.size() - kNamed)) + u" more";
    return text + u" use this hotkey too";
}

} // namespace

HotKeyAdvice AdviseHotKey(const HotKeyNames& names, HotKeyCode code, bool heldElsewhere,
                          const std::vector<int>& sharedWith) {
    HotKeyAdvice advice;
    if (code == 0) return advice;
    if (TakesTyping(names, code)) {
        advice.refused = true;
        advice.text = std::u16string(kNotTakenPrefix) + HotKeyCodeToText(names, code) +
                      std::u16string(kTypingKeyAfter);
        return advice;
    }
    if (WindowsNeeds(code & ~kKeypadBit)) {
        advice.refused = true;
        advice.text = std::u16string(kNotTakenPrefix) + HotKeyCodeToText(names, code) +
                      std::u16string(kWindowsNeedsAfter);
        return advice;
    }
    std::vector<std::u16string> lines;
    if (heldElsewhere) lines.emplace_back(kHeldElsewhereText);
    const std::u16string character = CharacterTakenFromAltGr(names, code);
    if (!character.empty())
        lines.push_back(std::u16string(kAltGrBefore) + character + std::u16string(kAltGrAfter));
    if (!sharedWith.empty()) lines.push_back(SharedText(sharedWith));
    for (const std::u16string& line : lines)
        advice.text += (advice.text.empty() ? u"" : u"\n") + line;
    return advice;
}

std::vector<HotKeyCode> OptionsPageShortcuts() {
    // The menu bar's File, Edit and Help, then the page's own controls.
    static constexpr char kLetters[] = "FEHWTPISM";
    std::vector<HotKeyCode> shortcuts;
    for (const char* letter = kLetters; *letter; ++letter)
        shortcuts.push_back(kAltBit | static_cast<HotKeyCode>(*letter));
    return shortcuts;
}

PauseFieldAdvice AdvisePauseHotKey(const HotKeyNames& names, HotKeyCode code, bool heldElsewhere,
                                   const std::vector<int>& usedBy) {
    PauseFieldAdvice advice;
    constexpr HotKeyCode kBackspace = 0x08, kDelete = 0x2E;
    if (code == kBackspace || (code & ~kKeypadBit) == kDelete) {
        advice.clears = true;
        return advice;
    }
    const HotKeyAdvice typing = AdviseHotKey(names, code, false, {});
    if (typing.refused) {
        advice.refused = true;
        advice.text = typing.text;
        return advice;
    }
    const std::vector<HotKeyCode> own = OptionsPageShortcuts();
    if (std::find(own.begin(), own.end(), code & ~kKeypadBit) != own.end()) {
        advice.refused = true;
        advice.text = std::u16string(kNotTakenPrefix) + HotKeyCodeToText(names, code) +
                      std::u16string(kOwnShortcutAfter);
        return advice;
    }
    if (!usedBy.empty()) {
        advice.refused = true;
        std::u16string tasks = SharedText(usedBy);
        tasks.erase(tasks.size() - std::u16string_view(u" too").size());
        advice.text = std::u16string(kNotTakenPrefix) + tasks;
        return advice;
    }
    advice.text = heldElsewhere ? kHeldElsewhereText : kPauseActsAtOnceText;
    return advice;
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

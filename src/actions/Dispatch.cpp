// The dispatcher's walk over the task table and the derivation of program,
// parameters and show code from a task's destination and run type.
#include "actions/Dispatch.h"

#include "actions/ProgramActions.h"
#include "base/AppInfo.h"
#include "base/Text.h"
#include "hotkeys/KeySequence.h"
#include "tasks/DestinationText.h"
#include "tasks/ProgramScope.h"
#include "tasks/TaskTable.h"
#include "tasks/TaskVocabulary.h"

#include <algorithm>

namespace keyvane {

std::size_t LastPos(std::u16string_view e, std::u16string_view t) {
    for (std::size_t k = t.size(); k >= 1; --k) {
        if (t.substr(k - 1, e.size()) == e) return k;
    }
    return 0;
}

SplitCommand SplitDestination(std::u16string_view destination) {
    // Positions come from a lower-cased copy (ASCII only, so it has the same
    // length); the parts handed on are cut from the text as typed, so web
    // addresses and parameters keep their letter case.
    const std::u16string lower = AsciiLowered(destination);
    std::size_t programEnd = lower.size();
    std::size_t parametersStart = lower.size();
    for (std::u16string_view extension : {u".exe", u".bat", u".com"}) {
        const std::u16string_view program = std::u16string_view(lower).substr(0, programEnd);
        if (FileNamePart(program).find(extension) == std::u16string_view::npos) continue;
        const std::size_t i = LastPos(extension, program); // 1-based
        const std::size_t afterExtension = i - 1 + extension.size();
        if (program.substr(afterExtension).find(u' ') == std::u16string_view::npos) continue;
        // The blank that separates the parameters belongs to neither part.
        // Any other character there stays with the program: the closing
        // quote of a quoted path ("c:\my tools\app.exe" -x) must not be
        // cut off, or the shell is handed an unbalanced quote.
        programEnd = lower[afterExtension] == u' ' ? afterExtension : afterExtension + 1;
        parametersStart = afterExtension + 1;
    }
    return {std::u16string(destination.substr(0, programEnd)),
            std::u16string(destination.substr(parametersStart))};
}

int ShowCodeOfRunType(std::u16string_view runType) {
    for (const RunType& type : kRunTypes)
        if (type.name == runType) return type.showCode;
    return kRunTypes[0].showCode;
}

std::u16string ProgramFileName(std::u16string_view program) {
    // No file name holds a double quote, so dropping them loses nothing.
    std::u16string name(FileNamePart(program));
    std::erase(name, u'"');
    return name;
}

namespace {

// An address holds no line break: one there is a '|' an older version wrote
// bare, which the file reads back as a line break. The address means it as
// the '|' it was, which a web address may carry escaped.
std::u16string AddressOf(std::u16string_view destination) {
    std::u16string address;
    for (std::size_t i = 0; i < destination.size(); ++i) {
        if (destination.substr(i).starts_with(u"\r\n")) {
            address += u"%7C";
            ++i;
        } else {
            address += destination[i];
        }
    }
    return address;
}

void PerformTaskAction(const PressedTask& task, ActionOperations& actions,
                       const HotKeyNames& names) {
    const std::u16string& destination = task.destination;
    const std::u16string& runType = task.runType;
    switch (task.action) {
    // These take the destination as it is, or nothing.
    case Action::PowerOff:
        return actions.PowerOffComputer();
    case Action::Reboot:
        return actions.RebootComputer();
    case Action::Hibernate:
        return actions.HibernateComputer();
    case Action::StandBy:
        return actions.StandByComputer();
    case Action::LogOff:
        return actions.LogOffComputer();
    case Action::OpenCdRom:
        return actions.OpenCDTray(destination);
    case Action::CloseCdRom:
        return actions.CloseCDTray(destination);
    case Action::MinimizeAll:
        return actions.ToggleMinimizeAll();
    case Action::CloseSelectedProgram:
        return actions.CloseProgramByName(ProgramFileName(SplitDestination(destination).program));
    // These show a window the run type decides about.
    case Action::RunSelectedProgram: {
        const SplitCommand command = SplitDestination(destination);
        const IfRunning choice = ReadIfRunning(task.ifRunning).choice;
        if (choice == IfRunning::StartAnother)
            return actions.RunSelectedProgram(command.program, command.parameters,
                                              ShowCodeOfRunType(runType));
        return actions.BringProgramToFront(command.program, command.parameters,
                                           ShowCodeOfRunType(runType), choice == IfRunning::Toggle);
    }
    case Action::OpenWebsite:
        return actions.OpenWebsite(SplitDestination(AddressOf(destination)).program,
                                   ShowCodeOfRunType(runType));
    case Action::RunMyComputer:
        return actions.OpenSpecialFolder(SpecialFolder::MyComputer, ShowCodeOfRunType(runType));
    case Action::RunMyDocuments:
        return actions.OpenSpecialFolder(SpecialFolder::MyDocuments, ShowCodeOfRunType(runType));
    case Action::RunNotepad:
        return actions.RunFixedProgram(u"notepad.exe", ShowCodeOfRunType(runType));
    case Action::RunCommandPrompt:
        return actions.RunFixedProgram(u"cmd.exe", ShowCodeOfRunType(runType));
    case Action::RunCalc:
        return actions.RunFixedProgram(u"calc.exe", ShowCodeOfRunType(runType));
    case Action::TypeText:
        return actions.TypeText(destination);
    case Action::SendKeys: {
        const std::optional<std::vector<HotKeyCode>> keys = ReadKeySequence(names, destination);
        if (!keys) throw ActionFailure(ToUtf8(std::u16string(kUnreadableKeysText)));
        return actions.SendKeys(*keys);
    }
    }
}

} // namespace

void RunTaskAction(const PressedTask& task, ActionOperations& actions, const HotKeyNames& names) {
    try {
        PerformTaskAction(task, actions, names);
    } catch (const ActionFailure& failure) {
        if (!actions.failureListener()) throw;
        // Which task, as the grid numbers and names it, then what went wrong.
        std::u16string text;
        if (task.number > 0)
            text = u"Task " + FromUtf8(std::to_string(task.number)) + u", " +
                   std::u16string(kActionNames[static_cast<std::size_t>(task.action)]) + u": ";
        actions.failureListener()(text + FromUtf8(failure.what()));
    }
}

std::optional<PressedTask> TaskOfRow(const TaskTable& table, int row) {
    const std::optional<Action> action = ActionFromName(table.textCell(Column::Desc, row));
    if (!action) return std::nullopt;
    return PressedTask{*action, DestinationFromCell(table.textCell(Column::Dest, row)),
                       table.cellText(Column::Type_run, row),
                       table.cellText(Column::If_running, row), row + 1};
}

std::vector<PressedTask> TasksOfPress(const TaskTable& table, const THotKeyManager& hotKeys,
                                      HotKeyCode hotKey) {
    std::vector<PressedTask> tasks;
    // The system reports the virtual key alone: a press may as well have
    // come from the key's keypad twin, which the texts include. An empty text
    // reads as no code, so rows without a hotkey are never among them.
    const std::vector<std::u16string>& texts = hotKeys.TextsOf(hotKey);
    if (texts.empty()) return tasks;
    const int count = table.taskCount();
    for (int row = 0; row < count; ++row) {
        // The text first: it rules out nearly every row.
        const std::u16string_view text = table.textCell(Column::Hotkey, row);
        if (std::find(texts.begin(), texts.end(), text) == texts.end()) continue;
        if (!table.cellFlag(Column::Enabled, row)) continue;
        // The code may be held for another row, one for all programs: this
        // one runs only where it is for.
        if (!FieldAdmits(table.textCell(Column::Programs, row), hotKeys.foregroundProgram()))
            continue;
        if (std::optional<PressedTask> task = TaskOfRow(table, row))
            tasks.push_back(std::move(*task));
    }
    return tasks;
}

void DispatchHotKeyPress(const TaskTable& table, const THotKeyManager& hotKeys, HotKeyCode hotKey,
                         ActionOperations& actions, const HotKeyNames& names) {
    // A copy: the table's rows and the manager's texts may change while an
    // action runs.
    const std::vector<PressedTask> tasks = TasksOfPress(table, hotKeys, hotKey);
    for (const PressedTask& task : tasks)
        RunTaskAction(task, actions, names);
}

} // namespace keyvane

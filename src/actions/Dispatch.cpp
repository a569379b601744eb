// The dispatcher's walk over the task table and the derivation of program,
// parameters and show code from a task's destination and run type.
#include "actions/Dispatch.h"

#include "actions/ProgramActions.h"
#include "tasks/TaskTable.h"
#include "base/Text.h"

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
    if (runType == u"Normal") return 1;
    if (runType == u"Hide") return 0;
    if (runType == u"Maximize") return 3;
    if (runType == u"Minimze") return 6;
    return 1;
}

std::u16string ProgramFileName(std::u16string_view program) {
    // No file name holds a double quote, so dropping them loses nothing.
    std::u16string name(FileNamePart(program));
    std::erase(name, u'"');
    return name;
}

namespace {

// The actions that take no part of the destination's split, compared first.
bool RunPowerOrTrayAction(std::u16string_view desc, const std::u16string& destination,
                          ActionOperations& actions) {
    if (desc == u"Power off computer")
        actions.PowerOffComputer();
    else if (desc == u"Reboot computer")
        actions.RebootComputer();
    else if (desc == u"Hibernate computer")
        actions.HibernateComputer();
    else if (desc == u"Stand by computer")
        actions.StandByComputer();
    else if (desc == u"Log off computer")
        actions.LogOffComputer();
    else if (desc == u"Open CD-Rom")
        actions.OpenCDTray(destination);
    else if (desc == u"Close CD-Rom")
        actions.CloseCDTray(destination);
    else
        return false;
    return true;
}

void RunProgramAction(std::u16string_view desc, const SplitCommand& command, int showCode,
                      ActionOperations& actions) {
    if (desc == u"Run selected program...")
        actions.RunSelectedProgram(command.program, command.parameters, showCode);
    else if (desc == u"Run My Computer")
        actions.OpenSpecialFolder(SpecialFolder::MyComputer, showCode);
    else if (desc == u"Run My Documents")
        actions.OpenSpecialFolder(SpecialFolder::MyDocuments, showCode);
    else if (desc == u"Close selected program...")
        actions.CloseProgramByName(ProgramFileName(command.program));
    else if (desc == u"Open Website...")
        actions.OpenWebsite(command.program, showCode);
    else if (desc == u"Minimize/Maximaze all windows")
        actions.ToggleMinimizeAll();
    else if (desc == u"Run Notepad")
        actions.RunFixedProgram(u"notepad.exe", showCode);
    else if (desc == u"Run Command Promt")
        actions.RunFixedProgram(u"cmd.exe", showCode);
    else if (desc == u"Run Calc")
        actions.RunFixedProgram(u"calc.exe", showCode);
}

} // namespace

void DispatchHotKeyPress(const TaskTable& table, HotKeyCode hotKey, ActionOperations& actions) {
    const int count = table.taskCount();
    if (count == 0) return;
    // Tasks are tied to a press by text, so a row written under another
    // keyboard layout (other key names) does not match.
    const std::u16string pressed = HotKeyCodeToText(hotKey);
    // A key without a name gives no text; it must not match rows that have
    // no hotkey at all.
    if (pressed.empty()) return;
    for (int row = 0; row < count; ++row) {
        // The text first: it rules out nearly every row, and the flag is
        // looked up by column name.
        if (table.textCell(Column::Hotkey, row) != pressed) continue;
        if (!table.cellFlag(u"Enabled", row)) continue;
        const std::u16string desc = table.cellText(Column::Desc, row);
        const std::u16string destination = table.cellText(Column::Dest, row);
        if (RunPowerOrTrayAction(desc, destination, actions)) continue;
        const SplitCommand command = SplitDestination(destination);
        const int showCode = ShowCodeOfRunType(table.cellText(Column::Type_run, row));
        RunProgramAction(desc, command, showCode, actions);
    }
}

} // namespace keyvane

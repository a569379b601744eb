// The fixed values of the task table's Desc and Type_run columns: the eighteen
// actions and the four run types. Every part of the program that names an
// action or a run type takes it from here. The names are compared exactly,
// letter case included, and are written to the task list file as they are.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace keyvane {

// In the order of the editor's action list.
enum class Action : std::uint8_t {
    RunMyComputer,
    RunMyDocuments,
    RunCalc,
    RunNotepad,
    RunCommandPrompt,
    PowerOff,
    Reboot,
    Hibernate,
    StandBy,
    LogOff,
    RunSelectedProgram,
    CloseSelectedProgram,
    OpenWebsite,
    OpenCdRom,
    CloseCdRom,
    MinimizeAll,
    // Newer than the task list format: a version that does not know them
    // keeps the task and does nothing on its press.
    TypeText,
    SendKeys,
};
inline constexpr int kActionCount = 18;

// The Desc text of each action, indexed by the enumeration.
extern const std::array<std::u16string_view, kActionCount> kActionNames;

std::u16string_view ActionName(Action action);
// The action a Desc text names; none for any other text (a hand-edited file).
std::optional<Action> ActionFromName(std::u16string_view name);

struct RunType {
    std::u16string_view name; // the Type_run text
    int showCode;             // the window-show command a started program gets
};

// In the order of the editor's Type of run list; the first is the default.
extern const std::array<RunType, 4> kRunTypes;

} // namespace keyvane

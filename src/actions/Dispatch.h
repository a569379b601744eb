// What a hotkey press does: every enabled task whose hotkey text the last
// registration pass read as the pressed code performs its action, in row
// order. The hotkey manager's press handler hands each press to
// DispatchHotKeyPress.
#pragma once

#include "actions/ActionOperations.h"
#include "hotkeys/HotKeyManager.h"
#include "tasks/TaskVocabulary.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace keyvane {

class TaskTable;

// 1-based position of the last occurrence of e in t; 0 when there is none.
std::size_t LastPos(std::u16string_view e, std::u16string_view t);

struct SplitCommand {
    std::u16string program;    // up to and including its extension (and a closing quote)
    std::u16string parameters; // the text after the character that follows it
};

// Separates a destination typed as a command line into program and
// parameters at the last ".exe", ".bat" or ".com" (tried in that order) of
// the file-name part that has a blank somewhere after it. The extensions are
// found in any letter case; both parts keep the text as typed. The character
// right after the extension is dropped when it is the separating blank and
// otherwise (a closing quote) kept with the program.
SplitCommand SplitDestination(std::u16string_view destination);

// The executable's name that "Close selected program..." looks for: the
// file-name part of the program, without the quotes of a quoted path.
std::u16string ProgramFileName(std::u16string_view program);

// The window-show command of a run type: "Hide" 0, "Maximize" 3, "Minimze" 6,
// anything else 1. Compared exactly.
int ShowCodeOfRunType(std::u16string_view runType);

// What one row runs, copied out of the table: an action may open a message
// loop (a message box, the shell's dialogs) in which another press pauses,
// re-registers or deletes rows, and what this press runs must not change
// under it.
struct PressedTask {
    Action action;
    std::u16string destination; // decoded (DestinationFromCell)
    std::u16string runType;
    std::u16string ifRunning;
    int number = 0; // the row's task number, which a failure names; 0: none
};

// The row's task, whether or not it is enabled; none when its Desc names no
// action (a hand-edited file).
std::optional<PressedTask> TaskOfRow(const TaskTable& table, int row);

// Performs one task's action with its destination, run type and
// If_running field, as a press does for each row it matches. A failure the
// operation throws as ActionFailure goes to the operations' failure
// listener, when there is one, and the call returns. names reads the key
// sequence of "Send keys..."; one it cannot read is such a failure.
void RunTaskAction(const PressedTask& task, ActionOperations& actions,
                   const HotKeyNames& names = HotKeyNames());

// The tasks one press runs, in row order. A row matches when the manager's
// last registration pass read its Hotkey text as the pressed code, so it runs
// whichever keyboard layout is in use now, it is enabled, and its Programs
// field admits the manager's program in front.
std::vector<PressedTask> TasksOfPress(const TaskTable& table, const THotKeyManager& hotKeys,
                                      HotKeyCode hotKey);

// Runs the actions of one press: the tasks are collected first, so nothing a
// running action does to the table or the registrations reaches the rest of
// this press. An error an operation throws, other than a told
// ActionFailure, ends the press and reaches the caller.
void DispatchHotKeyPress(const TaskTable& table, const THotKeyManager& hotKeys, HotKeyCode hotKey,
                         ActionOperations& actions, const HotKeyNames& names = HotKeyNames());

} // namespace keyvane

// The task editor's logic, apart from its window: what Edit shows for a row,
// what OK writes back, which captured hotkeys it takes and what it says of
// them, and the first CD drive. The window reads and sets its
// controls through these plain structs.
#pragma once

#include "base/AppInfo.h"
#include "hotkeys/HotKeyText.h"
#include "tasks/ProgramScope.h"
#include "tasks/TaskVocabulary.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace keyvane {

class TaskTable;

// The editor's fields. hotKey is the hotkey field's value, a hotkey code
// (Win included; 0: empty).
struct TaskFields {
    std::optional<Action> action; // none: no action chosen in the list
    HotKeyCode hotKey = 0;
    std::u16string destination; // as written: line breaks CR LF, a '|' is a '|'
    std::u16string runType;
    // "Programs:": the choice, and the box of names separated by ';'
    // (CheckProgramList judges it; ignored for all programs).
    ScopeKind scope = ScopeKind::AllPrograms;
    std::u16string programs;
    IfRunning ifRunning = IfRunning::StartAnother; // "If it is running:"
};

// What the editor says of its "Programs:" line before OK may write it:
// empty when it can be stored.
std::u16string ProgramsFieldError(const TaskFields& fields);

// What the editor says of its destination before OK may write it: empty
// when it can be stored. A "Send keys..." destination must read as keys
// (kUnreadableKeysText).
std::u16string DestinationFieldError(const HotKeyNames& names, const TaskFields& fields);

// What Edit puts into the editor for the current row.
struct EditPreset {
    TaskFields fields;
    // The row's Desc is one of the actions (otherwise the list shows
    // none, and OK keeps the row's Desc unless the user picks one).
    bool actionShown = true;
    // The row's hotkey text could be put into the field (otherwise the field
    // is empty, and OK keeps the row's text unless the user sets a hotkey).
    bool hotKeyShown = true;
};

// Reads the current row; throws IndexError when there is none.
EditPreset PresetForEdit(const TaskTable& table, const HotKeyNames& names);

// The destination OK fills in when the user left it empty: a program to
// ask for, or the first CD drive.
enum class DestinationFill { None, AskForProgram, FirstCdDrive };
DestinationFill DestinationFillFor(std::optional<Action> action);

// The editor's controls an action makes use of; the window greys the rest,
// keeping what they hold. No action chosen (a row whose action this version
// does not know): every one.
struct FieldsInUse {
    bool destination = true; // the Destination box
    bool browse = true;      // "Browse", which picks a program file
    bool runType = true;     // "Type of run"
    bool ifRunning = true;   // "If it is running:"
};
FieldsInUse FieldsUsedBy(std::optional<Action> action);

// What OK hands over, after the window has filled an empty destination.
struct EditorCommit {
    TaskFields fields;
    bool addMode = true;
    // Edit mode only: the user changed the hotkey field / picked an action
    // since the preset. When the preset could not show the row's value and
    // the user left it alone, the row keeps its text.
    bool hotKeyChanged = true;
    bool actionPicked = true;
};

// Writes one row: appends in add mode, else updates the current row. Edit
// mode without a current row appends too (nothing is written outside the
// table). appendedRow carries the row an earlier OK of the same editor
// session appended when its save failed: pressing OK again updates that row
// instead of adding a second copy (pass -1 on the first OK). Returns the
// row written. A row whose text reads as the field's hotkey keeps its text.
int WriteEditorRow(TaskTable& table, const HotKeyNames& names, const EditorCommit& commit,
                   const EditPreset* preset, int appendedRow);

// Whether a hotkey would take ordinary typing from every program: a key that
// types a character, Space, Enter, Tab, Backspace or an arrow, with no Ctrl,
// Alt or Win. The capture refuses such a combination.
bool TakesTyping(const HotKeyNames& names, HotKeyCode code);

// The task numbers (row + 1) of the rows whose hotkey is the code, skipping
// skipRow (the row being edited; -1: none). The keypad bit aside, as a press
// runs the rows of both keys.
std::vector<int> TasksWithHotKey(const TaskTable& table, const HotKeyNames& names, HotKeyCode code,
                                 int skipRow);

// What the line under the hotkey field says of a captured combination,
// most important first, one line each. Refused: a typing key, and a
// combination Windows needs in every program (WindowsNeeds).
struct HotKeyAdvice {
    bool refused = false; // the field keeps what it held
    std::u16string text;
};
// heldElsewhere: the system refused it to a trial registration while none
// of ours was held. sharedWith: TasksWithHotKey.
HotKeyAdvice AdviseHotKey(const HotKeyNames& names, HotKeyCode code, bool heldElsewhere,
                          const std::vector<int>& sharedWith);

// The Options page's Alt+letter shortcuts: its mnemonics and its menu bar's.
// The pause field passes them on to the page.
std::vector<HotKeyCode> OptionsPageShortcuts();

// What the Options page's pause field says of a combination pressed in it.
// Refused: a typing key, one Windows needs, one of the page's shortcuts, or
// one a task has (task numbers in usedBy): one combination has one meaning,
// and a task on the pause hotkey would never run. Backspace or Delete alone
// empties the field (clears, with no text). A combination taken acts at
// once, and the text says so.
struct PauseFieldAdvice {
    bool refused = false;
    bool clears = false;
    std::u16string text;
};
PauseFieldAdvice AdvisePauseHotKey(const HotKeyNames& names, HotKeyCode code, bool heldElsewhere,
                                   const std::vector<int>& usedBy);

// The letter of the first CD-ROM drive ("D"), or empty. driveMask: bit 0 is
// A:; driveType(letter) gives the system's drive type (5 is CD-ROM).
std::u16string FirstCdDrive(std::uint32_t driveMask,
                            const std::function<unsigned(char16_t letter)>& driveType);

} // namespace keyvane

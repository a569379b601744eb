// The two choices a task carries beyond its seven classic fields: which
// programs it is for (the Programs field) and what "Run selected program..."
// does when its program runs already (the If_running field).
//
// Programs: empty for all programs; "a.exe;b.exe" for only while one of them
// is in front; "!a.exe;!b.exe" for everywhere but there. Names are file names
// without a folder, compared letter case aside. If_running: empty (start
// another copy), "Front" or "Toggle". A field this version cannot read acts
// as its default and is kept as it stands until the user changes the task.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace keyvane {

enum class ScopeKind : std::uint8_t { AllPrograms, OnlyIn, NotIn };

// More names than anyone lists for one hotkey: a longer list is a mistake.
inline constexpr std::size_t kMaxScopePrograms = 100;

struct ProgramScope {
    ScopeKind kind = ScopeKind::AllPrograms;
    // Case-folded file names, in the order written.
    std::vector<std::u16string> names;
    // The field held text this version cannot read: the task is for all
    // programs, and the grid marks it.
    bool unreadable = false;
};

// What the program in front is called when a window is in front whose
// program cannot be named (a process that refuses every question): no list
// can hold the name, since '?' is refused in one.
inline constexpr std::u16string_view kUnnamedProgram = u"?";

// Reads a Programs field. Blanks around a name and between a '!' and its
// name do not count.
ProgramScope ReadProgramScope(std::u16string_view field);
// The field that stores a scope; names as the user wrote them. All programs
// (or no names) is the empty field.
std::u16string ProgramScopeField(ScopeKind kind, const std::vector<std::u16string>& names);
// Whether a task of the scope is active while the program of this file name
// is in front. program must be CaseFolded; empty when no window is in front
// (or nothing is known of it), which no "Only in" list names. An unnamed
// program may be any: neither an "Only in" nor a "Not in" task is active in
// it, and its hotkeys are left to it.
bool ScopeAdmits(const ProgramScope& scope, std::u16string_view program);
// The same for a Programs field, without building a scope for the fields
// that have none (nearly all).
bool FieldAdmits(std::u16string_view field, std::u16string_view program);

// The editor's box of names separated by ';' (blanks around a name do not
// count). error is empty when every name can be stored; otherwise it is the
// line that says why not, and names is empty.
struct ProgramListCheck {
    std::vector<std::u16string> names;
    std::u16string error;
};
ProgramListCheck CheckProgramList(std::u16string_view text);

// The program names of a field for the editor's box and the grid's tooltip:
// "notepad.exe; code.exe". An unreadable field gives its own text.
std::u16string ProgramListText(std::u16string_view field);

// What the grid says of a row's two fields: its tooltip lines (empty for a
// task for all programs that starts another copy), and the short mark shown
// after its hotkey ("only", "not", "?" for a field not understood).
struct ScopeNote {
    std::u16string tip;
    std::u16string mark;
};
ScopeNote NoteOfScope(std::u16string_view programs, std::u16string_view ifRunning);

enum class IfRunning : std::uint8_t { StartAnother, Front, Toggle };
inline constexpr int kIfRunningCount = 3;

struct IfRunningChoice {
    IfRunning choice = IfRunning::StartAnother;
    bool unreadable = false; // acts as StartAnother, and the grid marks it
};
IfRunningChoice ReadIfRunning(std::u16string_view field);
std::u16string_view IfRunningField(IfRunning choice);

} // namespace keyvane

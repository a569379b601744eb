// Any text as a Programs or If_running field must read without a crash or a
// sanitizer report, and what the program writes back must read as what it
// read: an edit closed with OK and no change keeps what the task does. The
// editor's box the same way: a list it accepts is stored as it reads.
#include "tasks/ProgramScope.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

using namespace keyvane;

void Require(bool condition) {
    if (!condition) std::abort();
}

bool SameScope(const ProgramScope& a, const ProgramScope& b) {
    return a.kind == b.kind && a.names == b.names && a.unreadable == b.unreadable;
}

// Whether the two admit the same programs: every name listed in either,
// nothing in front, and a program that cannot be named.
void RequireSameAdmission(const ProgramScope& a, const ProgramScope& b) {
    for (const ProgramScope* s : {&a, &b})
        for (const std::u16string& name : s->names)
            Require(ScopeAdmits(a, name) == ScopeAdmits(b, name));
    for (std::u16string_view program : {std::u16string_view(), kUnnamedProgram})
        Require(ScopeAdmits(a, program) == ScopeAdmits(b, program));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The bytes as UTF-16 units, little-endian; a last odd byte is dropped.
    std::u16string text;
    for (std::size_t i = 0; i + 1 < size; i += 2)
        text += static_cast<char16_t>(data[i] | (data[i + 1] << 8));

    // The stored field: read, admit, written back as Edit and OK write it,
    // read again.
    const ProgramScope scope = ReadProgramScope(text);
    for (const std::u16string& name : scope.names)
        Require(FieldAdmits(text, name) == ScopeAdmits(scope, name));
    NoteOfScope(text, text);
    if (scope.unreadable) {
        Require(scope.kind == ScopeKind::AllPrograms && scope.names.empty());
        Require(ProgramListText(text) == text); // the grid shows it as it stands
    } else if (scope.kind != ScopeKind::AllPrograms) {
        Require(!scope.names.empty());
        const ProgramListCheck shown = CheckProgramList(ProgramListText(text));
        Require(shown.error.empty());
        const std::u16string written = ProgramScopeField(scope.kind, shown.names);
        const ProgramScope again = ReadProgramScope(written);
        Require(SameScope(again, scope));
        RequireSameAdmission(scope, again);
        // A second pass changes nothing more.
        Require(ProgramScopeField(again.kind, CheckProgramList(ProgramListText(written)).names) ==
                written);
    }

    // The editor's box: what it accepts is stored so that it reads back.
    const ProgramListCheck check = CheckProgramList(text);
    Require(check.error.empty() != check.names.empty());
    for (ScopeKind kind : {ScopeKind::OnlyIn, ScopeKind::NotIn}) {
        if (check.names.empty()) break;
        const ProgramScope stored = ReadProgramScope(ProgramScopeField(kind, check.names));
        Require(!stored.unreadable && stored.kind == kind &&
                stored.names.size() == check.names.size());
    }

    const IfRunningChoice choice = ReadIfRunning(text);
    if (!choice.unreadable) Require(IfRunningField(choice.choice) == text);
    return 0;
}

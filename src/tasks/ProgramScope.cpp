// Reading, checking and writing a task's Programs and If_running fields.
#include "tasks/ProgramScope.h"

#include "base/AppInfo.h"
#include "base/Text.h"

#include <algorithm>
#include <array>

namespace keyvane {
namespace {

constexpr char16_t kNameSeparator = u';';
constexpr char16_t kNotInMark = u'!';

std::u16string_view Trimmed(std::u16string_view text) {
    const auto blank = [](char16_t c) { return c == u' ' || c == u'\t'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

// The pieces between the separators, trimmed; empty pieces included.
std::vector<std::u16string_view> Pieces(std::u16string_view text) {
    std::vector<std::u16string_view> pieces;
    for (;;) {
        const std::size_t end = text.find(kNameSeparator);
        pieces.push_back(Trimmed(text.substr(0, end)));
        if (end == std::u16string_view::npos) return pieces;
        text.remove_prefix(end + 1);
    }
}

enum class NameFault { None, Empty, Path, Character };

// A name the system could give a program's file, and the list can hold.
NameFault CheckName(std::u16string_view name) {
    if (name.empty()) return NameFault::Empty;
    for (char16_t c : name)
        if (c == u'\\' || c == u'/' || c == u':') return NameFault::Path;
    // '!' first would read back as "Not in".
    if (name.front() == kNotInMark) return NameFault::Character;
    for (char16_t c : name)
        if (c < u' ' || c == u'"' || c == u'<' || c == u'>' || c == u'|' || c == u'?' || c == u'*')
            return NameFault::Character;
    return NameFault::None;
}

// The name a stored piece holds: a "Not in" piece loses its mark, and the
// blanks after it. false when the piece's mark is not the list's.
bool NameOfPiece(std::u16string_view piece, bool notIn, std::u16string_view& name) {
    const bool marked = !piece.empty() && piece.front() == kNotInMark;
    if (marked != notIn) return false;
    name = marked ? Trimmed(piece.substr(1)) : piece;
    return true;
}

bool Listed(const std::vector<std::u16string>& names, std::u16string_view program) {
    return std::find(names.begin(), names.end(), program) != names.end();
}

} // namespace

ProgramScope ReadProgramScope(std::u16string_view field) {
    ProgramScope scope;
    if (field.empty()) return scope;
    const std::vector<std::u16string_view> pieces = Pieces(field);
    const bool notIn = !pieces.front().empty() && pieces.front().front() == kNotInMark;
    bool readable = pieces.size() <= kMaxScopePrograms;
    for (std::size_t i = 0; readable && i < pieces.size(); ++i) {
        // Every name of a "Not in" list is marked, and none of an "Only in" one.
        std::u16string_view name;
        readable = NameOfPiece(pieces[i], notIn, name) && CheckName(name) == NameFault::None;
        if (readable) scope.names.push_back(CaseFolded(name));
    }
    if (!readable) {
        ProgramScope all;
        all.unreadable = true;
        return all;
    }
    scope.kind = notIn ? ScopeKind::NotIn : ScopeKind::OnlyIn;
    return scope;
}

std::u16string ProgramScopeField(ScopeKind kind, const std::vector<std::u16string>& names) {
    std::u16string field;
    if (kind == ScopeKind::AllPrograms) return field;
    for (const std::u16string& name : names) {
        if (!field.empty()) field += kNameSeparator;
        if (kind == ScopeKind::NotIn) field += kNotInMark;
        field += name;
    }
    return field;
}

bool ScopeAdmits(const ProgramScope& scope, std::u16string_view program) {
    switch (scope.kind) {
    case ScopeKind::OnlyIn:
        return !program.empty() && program != kUnnamedProgram && Listed(scope.names, program);
    case ScopeKind::NotIn:
        return program != kUnnamedProgram && !Listed(scope.names, program);
    default:
        return true;
    }
}

bool FieldAdmits(std::u16string_view field, std::u16string_view program) {
    return field.empty() || ScopeAdmits(ReadProgramScope(field), program);
}

ProgramListCheck CheckProgramList(std::u16string_view text) {
    ProgramListCheck check;
    if (Trimmed(text).empty()) {
        check.error = kNoProgramsText;
        return check;
    }
    const std::vector<std::u16string_view> pieces = Pieces(text);
    // A list ended by ';' ("a.exe; b.exe;") is what typing leaves: the
    // empty last piece is not a name.
    const std::size_t count =
        pieces.size() > 1 && pieces.back().empty() ? pieces.size() - 1 : pieces.size();
    if (count > kMaxScopePrograms) {
        check.error = kTooManyProgramsText;
        return check;
    }
    for (std::size_t i = 0; i < count; ++i) {
        switch (CheckName(pieces[i])) {
        case NameFault::Empty:
            check.error = kEmptyProgramText;
            break;
        case NameFault::Path:
            check.error = std::u16string(kProgramPathText) + std::u16string(pieces[i]);
            break;
        case NameFault::Character:
            check.error = std::u16string(kProgramCharacterText) + std::u16string(pieces[i]);
            break;
        case NameFault::None:
            check.names.emplace_back(pieces[i]);
            continue;
        }
        check.names.clear();
        return check;
    }
    return check;
}

std::u16string ProgramListText(std::u16string_view field) {
    if (field.empty()) return {};
    const ProgramScope scope = ReadProgramScope(field);
    if (scope.unreadable) return std::u16string(field);
    std::u16string text;
    for (std::u16string_view piece : Pieces(field)) {
        std::u16string_view name;
        NameOfPiece(piece, scope.kind == ScopeKind::NotIn, name);
        if (!text.empty()) text += u"; ";
        text += name;
    }
    return text;
}

ScopeNote NoteOfScope(std::u16string_view programs, std::u16string_view ifRunning) {
    ScopeNote note;
    const ProgramScope scope = ReadProgramScope(programs);
    if (scope.unreadable) {
        note.tip = std::u16string(kUnreadableProgramsTip) + std::u16string(programs);
        note.mark = u"?";
    } else if (scope.kind != ScopeKind::AllPrograms) {
        note.tip = std::u16string(scope.kind == ScopeKind::OnlyIn ? kOnlyInTip : kNotInTip) +
                   ProgramListText(programs);
        note.mark = scope.kind == ScopeKind::OnlyIn ? u"only" : u"not";
    }
    const IfRunningChoice choice = ReadIfRunning(ifRunning);
    if (choice.unreadable) {
        if (!note.tip.empty()) note.tip += u"\n";
        note.tip += std::u16string(kUnreadableIfRunningTip) + std::u16string(ifRunning);
        note.mark = u"?";
    } else if (choice.choice != IfRunning::StartAnother) {
        if (!note.tip.empty()) note.tip += u"\n";
        note.tip += std::u16string(kIfRunningLabel) + u" " +
                    std::u16string(kIfRunningChoices[static_cast<std::size_t>(choice.choice)]);
    }
    return note;
}

namespace {
constexpr std::array<std::u16string_view, kIfRunningCount> kIfRunningFields = {u"", u"Front",
                                                                               u"Toggle"};
} // namespace

IfRunningChoice ReadIfRunning(std::u16string_view field) {
    for (std::size_t i = 0; i < kIfRunningFields.size(); ++i)
        if (kIfRunningFields[i] == field) return {static_cast<IfRunning>(i), false};
    return {IfRunning::StartAnother, true};
}

std::u16string_view IfRunningField(IfRunning choice) {
    return kIfRunningFields[static_cast<std::size_t>(choice)];
}

} // namespace keyvane

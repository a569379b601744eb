// The Programs and If_running fields: what a stored field means, what the
// editor's box refuses, and which program in front a scope admits.
#include "tasks/ProgramScope.h"

#include "base/AppInfo.h"
#include "base/Text.h"

#include <gtest/gtest.h>

namespace keyvane {
namespace {

std::u16string Names(std::size_t count) {
    std::u16string text;
    for (std::size_t i = 0; i < count; ++i)
        text += (i ? u";" : u"") + FromUtf8("p" + std::to_string(i) + ".exe");
    return text;
}

TEST(ProgramScope, FieldsAndWhatTheyAdmit) {
    struct Case {
        std::u16string field;
        ScopeKind kind;
        bool unreadable;
        std::vector<std::u16string> admitted, refused; // programs in front, folded
    };
    const Case cases[] = {
        {u"", ScopeKind::AllPrograms, false, {u"notepad.exe", u"", u"?"}, {}},
        {u"Notepad.EXE; code.exe",
         ScopeKind::OnlyIn,
         false,
         {u"notepad.exe", u"code.exe"},
         {u"calc.exe", u"", u"?"}},
        // A program that cannot be named may be the game: left to it.
        {u"!game.exe;!MSTSC.exe",
         ScopeKind::NotIn,
         false,
         {u"notepad.exe", u""},
         {u"mstsc.exe", u"?"}},
        {u"! a.exe ;\t!  B.exe", ScopeKind::NotIn, false, {u"c.exe"}, {u"a.exe", u"b.exe"}},
        // Unreadable: every program, as a task of an older file would run.
        {u"a.exe;!b.exe", ScopeKind::AllPrograms, true, {u"a.exe", u"b.exe"}, {}},
        {u"c:\\tools\\a.exe", ScopeKind::AllPrograms, true, {u"a.exe"}, {}},
        {u"a.exe;;b.exe", ScopeKind::AllPrograms, true, {u"c.exe"}, {}},
        {u"a\"b.exe", ScopeKind::AllPrograms, true, {u"c.exe"}, {}},
        {u"!", ScopeKind::AllPrograms, true, {u"c.exe"}, {}},
        {u"! ", ScopeKind::AllPrograms, true, {u"c.exe"}, {}},
        {u"!!a.exe", ScopeKind::AllPrograms, true, {u"a.exe"}, {}},
        {u"! !a.exe", ScopeKind::AllPrograms, true, {u"a.exe"}, {}},
        {u"a.exe;", ScopeKind::AllPrograms, true, {u"c.exe"}, {}},
        {Names(kMaxScopePrograms), ScopeKind::OnlyIn, false, {u"p99.exe"}, {u"c.exe"}},
        {Names(kMaxScopePrograms + 1), ScopeKind::AllPrograms, true, {u"c.exe"}, {}},
    };
    for (const Case& c : cases) {
        const ProgramScope scope = ReadProgramScope(c.field);
        const std::string name = ToUtf8(c.field.substr(0, 40));
        EXPECT_EQ(scope.kind, c.kind) << name;
        EXPECT_EQ(scope.unreadable, c.unreadable) << name;
        for (const auto& program : c.admitted) {
            EXPECT_TRUE(ScopeAdmits(scope, program)) << name << " in " << ToUtf8(program);
            EXPECT_TRUE(FieldAdmits(c.field, program)) << name;
        }
        for (const auto& program : c.refused)
            EXPECT_FALSE(ScopeAdmits(scope, program)) << name << " in " << ToUtf8(program);
        if (scope.unreadable || scope.kind == ScopeKind::AllPrograms) continue;
        // Edit, then OK without a change: the field the editor writes reads
        // as the one it showed.
        const ProgramListCheck shown = CheckProgramList(ProgramListText(c.field));
        ASSERT_TRUE(shown.error.empty()) << name;
        const ProgramScope again = ReadProgramScope(ProgramScopeField(scope.kind, shown.names));
        EXPECT_EQ(again.kind, scope.kind) << name;
        EXPECT_EQ(again.names, scope.names) << name;
    }
}

TEST(ProgramScope, EditorListIsCheckedAndStoredAsTheFieldReadsIt) {
    const std::pair<std::u16string, std::u16string> refused[] = {
        {u"  ", std::u16string(kNoProgramsText)},
        {u"a.exe;;b.exe", std::u16string(kEmptyProgramText)},
        {u"a.exe; c:\\x\\b.exe", std::u16string(kProgramPathText) + u"c:\\x\\b.exe"},
        {u"a\"b.exe", std::u16string(kProgramCharacterText) + u"a\"b.exe"},
        {u"!a.exe", std::u16string(kProgramCharacterText) + u"!a.exe"},
        {Names(1000), std::u16string(kTooManyProgramsText)},
    };
    for (const auto& [text, error] : refused) {
        const ProgramListCheck check = CheckProgramList(text);
        EXPECT_EQ(check.error, error) << ToUtf8(text.substr(0, 40));
        EXPECT_TRUE(check.names.empty());
    }

    // Blanks and a last ';' typing leaves are no names.
    const ProgramListCheck check = CheckProgramList(u" notepad.exe ; Code.exe;");
    ASSERT_TRUE(check.error.empty());
    EXPECT_EQ(check.names, (std::vector<std::u16string>{u"notepad.exe", u"Code.exe"}));
    const std::u16string notIn = ProgramScopeField(ScopeKind::NotIn, check.names);
    EXPECT_EQ(notIn, u"!notepad.exe;!Code.exe");
    EXPECT_EQ(ProgramListText(notIn), u"notepad.exe; Code.exe");
    EXPECT_EQ(ReadProgramScope(notIn).names,
              (std::vector<std::u16string>{u"notepad.exe", u"code.exe"}));
    EXPECT_EQ(ProgramScopeField(ScopeKind::AllPrograms, check.names), u"");
}

TEST(ProgramScope, IfRunningFields) {
    EXPECT_EQ(ReadIfRunning(u"").choice, IfRunning::StartAnother);
    EXPECT_EQ(ReadIfRunning(u"Front").choice, IfRunning::Front);
    EXPECT_EQ(ReadIfRunning(u"Toggle").choice, IfRunning::Toggle);
    for (std::u16string_view field : {u"front", u"Raise"}) {
        EXPECT_EQ(ReadIfRunning(field).choice, IfRunning::StartAnother);
        EXPECT_TRUE(ReadIfRunning(field).unreadable);
    }
    EXPECT_EQ(IfRunningField(IfRunning::Toggle), u"Toggle");
}

} // namespace
} // namespace keyvane

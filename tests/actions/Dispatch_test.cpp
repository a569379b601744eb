// The dispatcher's walk, against a fake that records every operation.
#include "actions/Dispatch.h"
#include "FakeHotKeySystem.h"
#include "FakeKeyNames.h"
#include "RecordingActions.h"
#include "TaskRows.h"
#include "base/AppInfo.h"
#include "base/Text.h"
#include "tasks/TaskTable.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <stdexcept>

namespace keyvane {
namespace {

using test::FakeLayout;
using test::FillTable;

using test::RecordingActions;
using Calls = test::Calls;
const HotKeyCode kCtrlAltN = kCtrlBit | kAltBit | 'N';

TEST(LastPos, FindsTheLastOccurrence) {
    EXPECT_EQ(LastPos(u".exe", u"c:\\a.exe"), 5u);
    EXPECT_EQ(LastPos(u".exe", u"c:\\x.exe\\y.exe z"), 11u);
    EXPECT_EQ(LastPos(u".exe", u"c:\\a.ex"), 0u);
    EXPECT_EQ(LastPos(u".exe", u""), 0u);
    EXPECT_EQ(LastPos(u"aa", u"aaa"), 2u);
}

struct SplitCase {
    std::u16string_view dest, program, parameters;
};

template <std::size_t N> void ExpectSplits(const SplitCase (&cases)[N]) {
    for (const SplitCase& c : cases) {
        const SplitCommand split = SplitDestination(c.dest);
        EXPECT_EQ(split.program, c.program) << ToUtf8(c.dest);
        EXPECT_EQ(split.parameters, c.parameters) << ToUtf8(c.dest);
    }
}

TEST(SplitDestination, CutsAtTheExtensionAndKeepsTheText) {
    const SplitCase cases[] = {
        {u"C:\\Tools\\App.exe", u"C:\\Tools\\App.exe", u""},
        {u"C:\\Program Files\\App\\app.exe -min", u"C:\\Program Files\\App\\app.exe", u"-min"},
        {u"d:\\run.BAT go now", u"d:\\run.BAT", u"go now"},
        {u"c:\\a.exe x.bat y", u"c:\\a.exe", u"x.bat y"},
        {u"c:\\app.exe c:\\data.txt", u"c:\\app.exe c:\\data.txt", u""},
        {u"c:\\app.exe c:\\x.exe y", u"c:\\app.exe c:\\x.exe", u"y"},
        {u"c:\\x.exe  two", u"c:\\x.exe", u" two"},
        {u"C:\\My Tools\\Tool.COM /Q", u"C:\\My Tools\\Tool.COM", u"/Q"},
        {u"c:\\app.exe ", u"c:\\app.exe", u""},
        {u"http://Example.org/Page?Q=A", u"http://Example.org/Page?Q=A", u""},
        {u"c:\\x.bat.exe y", u"c:\\x.bat.exe", u"y"},
        // The parameters run to the end even when a later extension splits again.
        {u"c:\\tools\\run.bat Go.exe Now", u"c:\\tools\\run.bat", u"Go.exe Now"},
        {u"c:\\Ärger\\prog.exe ÄÖ", u"c:\\Ärger\\prog.exe", u"ÄÖ"},
        {u"", u"", u""},
    };
    ExpectSplits(cases);
}

TEST(SplitDestination, QuotedProgramKeepsItsClosingQuote) {
    // Only a blank after the extension is dropped; cutting the closing quote
    // handed the shell an unbalanced quote and nothing started.
    const SplitCase cases[] = {
        {u"\"C:\\My Tools\\App.exe\" -min", u"\"C:\\My Tools\\App.exe\"", u" -min"},
        {u"\"C:\\My Tools\\App.exe\"", u"\"C:\\My Tools\\App.exe\"", u""},
        {u"c:\\app.exe/q x", u"c:\\app.exe/", u"q x"},
    };
    ExpectSplits(cases);
}

TEST(ShowCodeOfRunType, ExactNamesOnly) {
    EXPECT_EQ(ShowCodeOfRunType(u"Normal"), 1);
    EXPECT_EQ(ShowCodeOfRunType(u"Hide"), 0);
    EXPECT_EQ(ShowCodeOfRunType(u"Maximize"), 3);
    EXPECT_EQ(ShowCodeOfRunType(u"Minimze"), 6);
    EXPECT_EQ(ShowCodeOfRunType(u"Minimize"), 1);
    EXPECT_EQ(ShowCodeOfRunType(u"hide"), 1);
    EXPECT_EQ(ShowCodeOfRunType(u""), 1);
}

class DispatchTest : public ::testing::Test {
  protected:
    // The registration pass runs before the press, as it does after every
    // change of the table's hotkeys.
    Calls Press(HotKeyCode code) {
        actions.calls.clear();
        hotKeys.RegisterAllTaskHotKeys(table, layout.names);
        DispatchHotKeyPress(table, hotKeys, code, actions, layout.names);
        return actions.calls;
    }
    FakeLayout layout;
    TaskTable table;
    RecordingActions actions;
    test::SystemState system;
    THotKeyManager hotKeys{std::make_unique<test::FakeHotKeySystem>(system)};
};

TEST_F(DispatchTest, EveryActionGetsItsArguments) {
    const std::u16string dest = u"C:\\Apps\\Tool.exe -Min";
    FillTable(table,
              {
                  {u"Power off computer", u"Ctrl+Alt+N", dest},
                  {u"Reboot computer", u"Ctrl+Alt+N", dest},
                  {u"Hibernate computer", u"Ctrl+Alt+N", dest},
                  {u"Stand by computer", u"Ctrl+Alt+N", dest},
                  {u"Log off computer", u"Ctrl+Alt+N", dest},
                  {u"Open CD-Rom", u"Ctrl+Alt+N", u"E:\\"},
                  {u"Close CD-Rom", u"Ctrl+Alt+N", u"E: x.exe y"},
                  {u"Run selected program...", u"Ctrl+Alt+N", dest, u"Minimze"},
                  {u"Run My Computer", u"Ctrl+Alt+N", dest, u"Maximize"},
                  {u"Run My Documents", u"Ctrl+Alt+N", dest, u"Hide"},
                  {u"Close selected program...", u"Ctrl+Alt+N", dest},
                  {u"Open Website...", u"Ctrl+Alt+N", u"HTTP://Example.ORG/A b.exe c", u"Maximize"},
                  {u"Minimize/Maximaze all windows", u"Ctrl+Alt+N", dest},
                  {u"Run Notepad", u"Ctrl+Alt+N", dest, u"Hide"},
                  {u"Run Command Promt", u"Ctrl+Alt+N", dest, u"Minimze"},
                  {u"Run Calc", u"Ctrl+Alt+N", dest, u"Hide"},
                  // Destinations as the editor stores them: "{|}" in the
                  // file, '{' CR LF '}' in the cell, is a '|'.
                  {u"Type text...", u"Ctrl+Alt+N", u"a{\r\n}b\r\nc"},
                  {u"Send keys...", u"Ctrl+Alt+N", u"Home, Ctrl+V"},
                  {u"Run selected program...", u"Ctrl+Alt+N", u"cmd.exe /c dir {\r\n} sort"},
                  // An older version's bare '|', read back as a line break.
                  {u"Open Website...", u"Ctrl+Alt+N", u"http://x.org/css?family=A\r\nB"},
              });
    const Calls expected = {
        "PowerOff",
        "Reboot",
        "Hibernate",
        "StandBy",
        "LogOff",
        "OpenCD|E:\\",
        "CloseCD|E: x.exe y",
        "Run|C:\\Apps\\Tool.exe|-Min|6",
        "MyComputer|3",
        "MyDocuments|0",
        "Close|Tool.exe",
        "Web|HTTP://Example.ORG/A b.exe|3", // an address takes no parameters
        "MinimizeAll",
        "Fixed|notepad.exe|0",
        "Fixed|cmd.exe|6",
        "Fixed|calc.exe|0",
        "Type|a|b\r\nc",
        "Keys|24|4056",
        "Run|cmd.exe|/c dir | sort|1",
        "Web|http://x.org/css?family=A%7CB|1",
    };
    EXPECT_EQ(Press(kCtrlAltN), expected);
    // Keys no layout names are told, and the press goes on.
    std::vector<std::u16string> told;
    actions.setFailureListener([&](std::u16string text) { told.push_back(std::move(text)); });
    table.removeAllTasks();
    FillTable(table,
              {{u"Send keys...", u"Ctrl+Alt+N", u"Ctrl+C, Bogus"}, {u"Run Calc", u"Ctrl+Alt+N"}});
    EXPECT_EQ(Press(kCtrlAltN), Calls{"Fixed|calc.exe|1"});
    EXPECT_EQ(told, std::vector<std::u16string>{u"Task 1, Send keys...: " +
                                                std::u16string(kUnreadableKeysText)});
}

TEST_F(DispatchTest, MatchesEnabledRowsByTheCodeTheirTextReadsAsInRowOrder) {
    FillTable(table, {
                         {u"Run selected program...", u"Ctrl+Alt+N", u"c:\\first.exe a b"},
                         {u"Run Calc", u"Ctrl+Alt+M"},
                         {u"Run Notepad", u"Ctrl+Alt+N", u"", u"Normal", false},
                         {u"Run Command Promt", u"ctrl+alt+n"}, // other letter case
                         {u"Run Command Promt", u"Alt+Ctrl+N"}, // other order
                         {u"Run Notepad", u"Control+Alt+N"},    // words no layout here has
                         {u"Run calc", u"Ctrl+Alt+N"},          // not an action name
                         {u"Run selected program...", u"Ctrl+Alt+N", u"c:\\second.exe"},
                     });
    // The second row's parameters do not leak from the first.
    EXPECT_EQ(Press(kCtrlAltN), (Calls{"Run|c:\\first.exe|a b|1", "Fixed|cmd.exe|1",
                                       "Fixed|cmd.exe|1", "Run|c:\\second.exe||1"}));
    EXPECT_EQ(Press(kCtrlBit | kAltBit | 'M'), (Calls{"Fixed|calc.exe|1"}));
    EXPECT_EQ(Press(kCtrlBit | 'N'), Calls{});
}

TEST_F(DispatchTest, PressRunsTheRowsOfTheKeyAndOfItsKeypadTwin) {
    // The system reports Enter for both Enter keys; each row names its own.
    FillTable(table, {
                         {u"Run Notepad", u"Ctrl+Enter"},
                         {u"Run Calc", u"Ctrl+Num Enter"},
                         {u"Run Command Promt", u"Ctrl+Num Page Up"},
                     });
    EXPECT_EQ(Press(kCtrlBit | 13), (Calls{"Fixed|notepad.exe|1", "Fixed|calc.exe|1"}));
    EXPECT_EQ(Press(kCtrlBit | 33), (Calls{"Fixed|cmd.exe|1"}));
}

TEST_F(DispatchTest, RowsWrittenUnderEitherLayoutRunWhicheverIsInUse) {
    layout.source.InstallRussian();
    FillTable(table, {
                         {u"Run Calc", u"Ctrl+Й"},
                         {u"Run Notepad", u"Ctrl+Q"},
                         {u"Run Command Promt", u"Ctrl+Ж"},
                         {u"Log off computer", u"Ctrl+Ъ"}, // no installed layout has it
                     });
    for (const std::uintptr_t pass : {0x0409, 0x0419}) {
        layout.source.Activate(pass);
        hotKeys.ReleaseAllRegistrations();
        hotKeys.RegisterAllTaskHotKeys(table, layout.names);
        EXPECT_EQ(system.Held(),
                  (std::set<std::pair<int, int>>{{kModControl, 'Q'}, {kModControl, 0xBA}}))
            << "pass under " << pass;
        for (const std::uintptr_t press : {0x0409, 0x0419}) {
            layout.source.Activate(press);
            actions.calls.clear();
            DispatchHotKeyPress(table, hotKeys, kCtrlBit | 'Q', actions);
            DispatchHotKeyPress(table, hotKeys, kCtrlBit | 0xBA, actions);
            EXPECT_EQ(actions.calls,
                      (Calls{"Fixed|calc.exe|1", "Fixed|notepad.exe|1", "Fixed|cmd.exe|1"}))
                << "pass under " << pass << ", press under " << press;
        }
    }
}

TEST_F(DispatchTest, EmptyTableAndUnnamedKeysDoNothing) {
    EXPECT_EQ(Press(kCtrlAltN), Calls{});
    FillTable(table, {{u"Run Calc", u""}});
    EXPECT_EQ(Press(0x07), Calls{}); // a key without a name has no text
}

TEST_F(DispatchTest, CloseWithParametersOrQuotesClosesTheNamedProgram) {
    FillTable(table,
              {
                  {u"Close selected program...", u"Ctrl+Alt+N", u"C:\\Apps\\Tool.exe /x"},
                  {u"Close selected program...", u"Ctrl+Alt+N", u""},
                  {u"Close selected program...", u"Ctrl+Alt+N", u"notepad.exe"},
                  {u"Close selected program...", u"Ctrl+Alt+N", u"\"C:\\My Apps\\Tool.exe\" /x"},
                  {u"Close selected program...", u"Ctrl+Alt+N", u"\"C:\\My Apps\\Tool.exe\""},
              });
    EXPECT_EQ(Press(kCtrlAltN), (Calls{"Close|Tool.exe", "Close|", "Close|notepad.exe",
                                       "Close|Tool.exe", "Close|Tool.exe"}));
}

TEST_F(DispatchTest, ToldFailureLetsThePressGoOnAndAnyOtherErrorEndsIt) {
    FillTable(table, {
                         {u"Minimize/Maximaze all windows", u"Ctrl+Alt+N"},
                         {u"Run Calc", u"Ctrl+Alt+N"},
                     });
    actions.onCall = [] { throw ActionFailure("Could not start \"Ärger.exe\": gone"); };
    EXPECT_THROW(Press(kCtrlAltN), ActionFailure) << "nobody to tell it to";
    EXPECT_EQ(actions.calls, Calls{"MinimizeAll"});

    std::vector<std::u16string> told;
    actions.setFailureListener([&](std::u16string text) { told.push_back(std::move(text)); });
    EXPECT_EQ(Press(kCtrlAltN), (Calls{"MinimizeAll", "Fixed|calc.exe|1"}));
    EXPECT_EQ(told,
              (std::vector<std::u16string>{
                  u"Task 1, Minimize/Maximaze all windows: Could not start \"Ärger.exe\": gone",
                  u"Task 2, Run Calc: Could not start \"Ärger.exe\": gone"}));

    actions.onCall = [] { throw std::runtime_error("shell object failed"); };
    EXPECT_THROW(Press(kCtrlAltN), std::runtime_error);
    EXPECT_EQ(actions.calls, Calls{"MinimizeAll"});
}

TEST_F(DispatchTest, NestedPressRunsCompletelyInsideTheOuterOne) {
    FillTable(table, {
                         {u"Log off computer", u"Ctrl+Alt+N"},
                         {u"Run Calc", u"Ctrl+Alt+M"},
                         {u"Run Notepad", u"Ctrl+Alt+N"},
                     });
    bool nested = false;
    actions.onCall = [&] {
        if (nested) return;
        nested = true;
        DispatchHotKeyPress(table, hotKeys, kCtrlBit | kAltBit | 'M', actions);
    };
    EXPECT_EQ(Press(kCtrlAltN), (Calls{"LogOff", "Fixed|calc.exe|1", "Fixed|notepad.exe|1"}));
}

} // namespace
} // namespace keyvane

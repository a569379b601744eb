#include "app/CommandLine.h"

#include "base/Text.h"

#include <gtest/gtest.h>

#include <vector>

namespace keyvane {
namespace {

TEST(CommandLine, SwitchesParseInAnyFormAndAnythingElseIsNamed) {
    const struct {
        std::vector<std::u16string> args;
        Switch what;
        int task;
        std::u16string bad;
    } cases[] = {
        {{}, Switch::None, 0, u""},
        {{u"/pause"}, Switch::Pause, 0, u""},
        {{u"-RESUME"}, Switch::Resume, 0, u""},
        {{u"--Show"}, Switch::Show, 0, u""},
        {{u"/exit"}, Switch::Exit, 0, u""},
        {{u"/run", u"12"}, Switch::Run, 12, u""},
        {{u"/Run:3"}, Switch::Run, 3, u""},
        {{u"-run=0"}, Switch::Run, 0, u""}, // parsed: the running copy says there is no task 0
        {{u"/run"}, Switch::RunWithoutNumber, 0, u""},
        {{u"/run", u"x1"}, Switch::RunWithoutNumber, 0, u"x1"},
        {{u"/run:"}, Switch::RunWithoutNumber, 0, u""},
        {{u"-RUN=abc"}, Switch::RunWithoutNumber, 0, u"abc"},
        {{u"/run", u"999999999"}, Switch::RunWithoutNumber, 0, u"999999999"},
        {{u"/?"}, Switch::Help, 0, u""},
        {{u"-h"}, Switch::Help, 0, u""},
        {{u"--HELP"}, Switch::Help, 0, u""},
        {{u"/?", u"/pause"}, Switch::Unknown, 0, u"/pause"},
        {{u"/pause:1"}, Switch::Unknown, 0, u"/pause:1"},
        {{u"pause"}, Switch::Unknown, 0, u"pause"},
        {{u"/"}, Switch::Unknown, 0, u"/"},
        {{u"/hlep"}, Switch::Unknown, 0, u"/hlep"},
        // One switch per start.
        {{u"/pause", u"/show"}, Switch::Unknown, 0, u"/show"},
        {{u"/run", u"2", u"3"}, Switch::Unknown, 0, u"3"},
    };
    for (const auto& c : cases) {
        const CommandRequest request = ParseCommandLine(c.args);
        const std::u16string first = c.args.empty() ? u"" : c.args[0];
        EXPECT_EQ(request.what, c.what) << std::string(first.begin(), first.end());
        EXPECT_EQ(request.task, c.task) << std::string(first.begin(), first.end());
        EXPECT_EQ(request.bad, c.bad) << std::string(first.begin(), first.end());
        // What reaches the running copy is what was asked; what the start
        // answers itself is never sent, and a plain start asks it to show.
        if (LocalExitCode(request) >= 0) continue;
        const CommandRequest sent = DecodeCommand(EncodeCommand(request));
        EXPECT_EQ(sent.what, c.what == Switch::None ? Switch::Show : c.what);
        EXPECT_EQ(sent.task, c.task);
    }
    EXPECT_EQ(DecodeCommand(0x105).what, Switch::Unknown) << "a newer version's request";
    EXPECT_EQ(DecodeCommand(0x201).what, Switch::Unknown);
}

TEST(CommandLine, OnlyAMarkedResultIsAnAnswer) {
    int code = -1;
    NotDoneReason reason{};
    EXPECT_FALSE(DecodeAnswer(0, code, reason)) << "a window that does not know the message";
    EXPECT_FALSE(DecodeAnswer(1, code, reason));
    EXPECT_FALSE(DecodeAnswer(-1, code, reason));
    ASSERT_TRUE(DecodeAnswer(EncodeAnswer(kExitNotDone, NotDoneReason::Disabled), code, reason));
    EXPECT_EQ(code, kExitNotDone);
    EXPECT_EQ(reason, NotDoneReason::Disabled);
    ASSERT_TRUE(DecodeAnswer(EncodeAnswer(kExitDone, NotDoneReason::None), code, reason));
    EXPECT_EQ(code, kExitDone);

    const CommandRequest run{Switch::Run, 7, {}};
    EXPECT_EQ(CommandOutcomeText(run, kExitNotDone, NotDoneReason::NoSuchTask),
              u"There is no task 7.");
    EXPECT_EQ(CommandOutcomeText(run, kExitDone, NotDoneReason::None), u"");
    const std::u16string usage =
        CommandOutcomeText({Switch::Unknown, 0, u"/hlep"}, kExitUnknownSwitch, {});
    for (const char16_t* name :
         {u"/hlep", u"/pause", u"/resume", u"/show", u"/exit", u"/run N", u"/?"})
        EXPECT_NE(usage.find(name), std::u16string::npos);
    // Help is a success; /run without its number says what it lacks.
    const CommandRequest help{Switch::Help, 0, {}};
    EXPECT_EQ(LocalExitCode(help), kExitDone);
    const std::u16string helpText = CommandOutcomeText(help, kExitDone, {});
    EXPECT_TRUE(!helpText.empty() && usage.ends_with(helpText)) << "help is the usage alone";
    const CommandRequest noNumber{Switch::RunWithoutNumber, 0, u"abc"};
    EXPECT_EQ(LocalExitCode(noNumber), kExitUnknownSwitch);
    const std::u16string said = CommandOutcomeText(noNumber, kExitUnknownSwitch, {});
    EXPECT_TRUE(said.starts_with(u"/run needs a task number")) << ToUtf8(said);
    EXPECT_NE(said.find(u"Not a task number: abc"), std::u16string::npos);
    EXPECT_EQ(said.find(u"Unknown switch"), std::u16string::npos);
}

} // namespace
} // namespace keyvane

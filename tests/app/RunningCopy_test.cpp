// Who may give the running copy orders: what an elevated copy lets in, what
// a start with a switch says of it, and which copy a start talks to.
#include "app/RunningCopy.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace keyvane {
namespace {

TEST(RunningCopy, AnElevatedCopyTakesNoOrdersFromLowerLevels) {
    using G = GuardedMessage;
    const struct {
        bool copyElevated, shellElevated, startElevated;
        std::vector<GuardedMessage> opened;
        bool drops, refused;
    } cases[] = {
        // Same level as the shell and a second start: nothing to open, and
        // an opening would let low-integrity programs in.
        {false, false, false, {}, true, false},
        {false, true, true, {}, true, false},
        // Above the shell: the shell still reaches the tray icon; nothing
        // else does, and a start below is told.
        {true, false, false, {G::TaskbarCreated, G::TrayCallback}, false, true},
        {true, false, true, {G::TaskbarCreated, G::TrayCallback}, false, false},
        // The shell at our level (Wine; no split administrator token).
        {true, true, true, {G::TaskbarCreated, G::TrayCallback}, true, false},
        {true, true, false, {G::TaskbarCreated, G::TrayCallback}, true, true},
    };
    const CommandRequest run{Switch::Run, 4, {}};
    for (const auto& c : cases) {
        const MessagePlan plan = PlanMessages(c.copyElevated, c.shellElevated);
        EXPECT_EQ(plan.opened, c.opened) << c.copyElevated << c.shellElevated;
        EXPECT_EQ(plan.acceptDrops, c.drops) << c.copyElevated << c.shellElevated;
        for (GuardedMessage never : {G::Command, G::DropFiles, G::CopyGlobalData, G::CopyData})
            EXPECT_EQ(std::count(plan.opened.begin(), plan.opened.end(), never), 0);

        int code = -1;
        NotDoneReason reason = NotDoneReason::None;
        EXPECT_EQ(RefusedByElevatedCopy(c.startElevated, c.copyElevated, code, reason), c.refused)
            << c.copyElevated << c.startElevated;
        if (!c.refused) {
            EXPECT_EQ(code, -1);
            continue;
        }
        EXPECT_EQ(code, kExitNotDone);
        EXPECT_EQ(CommandOutcomeText(run, code, reason),
                  u"Keyvane runs as administrator: give the switch from a command prompt that "
                  u"runs as administrator.");
    }
    // Only the asking start finds it: a copy cannot answer it.
    NotDoneReason reason{};
    int code = 0;
    EXPECT_FALSE(
        DecodeAnswer(EncodeAnswer(kExitNotDone, NotDoneReason::AsAdministrator), code, reason));
}

TEST(RunningCopy, OnlyACopyOfThisProgramFileIsAsked) {
    const char16_t* ours = u"C:\\Tools\\Keyvane\\keyvane.exe";
    const struct {
        const char16_t* theirs;
        bool same;
    } cases[] = {
        {u"C:\\Tools\\Keyvane\\keyvane.exe", true},
        {u"c:\\TOOLS\\keyvane\\KEYVANE.EXE", true},
        {u"\\\\?\\C:\\Tools\\Keyvane\\keyvane.exe", true},
        {u"C:\\Tools\\Other\\keyvane.exe", false}, // another folder's copy
        {u"C:\\Tools\\Keyvane\\form1demo.exe", false},
        {u"C:\\Tools\\Keyvane\\keyvane.exe.bak", false},
        {u"C:\\Tools\\Keyvane\\keyvane", false},
        {u"", false}, // an image that could not be read
    };
    for (const auto& c : cases)
        EXPECT_EQ(SameProgramFile(ours, c.theirs), c.same) << std::u16string_view(c.theirs).size();
    EXPECT_TRUE(SameProgramFile(u"\\\\?\\UNC\\server\\share\\keyvane.exe",
                                u"\\\\SERVER\\share\\keyvane.exe"));
    EXPECT_FALSE(SameProgramFile(u"", u""));
}

} // namespace
} // namespace keyvane

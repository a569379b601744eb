// Presses and Run now through the core: what runs, what does not and why,
// and what an action's own message loop may do meanwhile.
#include "CoreFixture.h"

#include "RecordingActions.h"

namespace keyvane {
namespace {

using test::AppCoreTest;

TEST_F(AppCoreTest, RunByNumberNamesWhyATaskDoesNotRun) {
    FillNumbered(2);
    core.ToggleEnabled(1);
    using R = AppCore::RunResult;
    EXPECT_EQ(core.RunTask(0), R::NoSuchTask);
    EXPECT_EQ(core.RunTask(3), R::NoSuchTask);
    EXPECT_EQ(core.RunTask(2), R::Disabled);
    EXPECT_EQ(core.TaskRunnable(1), R::NoAction) << "no actions yet: nothing to run it with";
}

TEST_F(AppCoreTest, RunNowRunsADisabledTaskWhilePausedAndSavesBeforeAPowerOff) {
    std::vector<std::string> steps;
    auto actions = std::make_unique<test::CoreActions>();
    actions->request = [&] { steps.push_back(Saved() ? "request after tasks" : "request"); };
    core.setActions(std::move(actions));
    test::FillTable(core.tasks(), {{u"Power off computer", u"Ctrl+Alt+1", u"", u"Normal", false},
                                   {u"Custom action", u"Ctrl+Alt+2"}});
    core.SetPaused(true);
    EXPECT_TRUE(core.RunTaskNow(0));
    EXPECT_EQ(steps, std::vector<std::string>{"request after tasks"});
    EXPECT_FALSE(core.RunTaskNow(1)) << "a Desc that names no action";
    EXPECT_FALSE(core.RunTaskNow(2));
    EXPECT_FALSE(core.RunTaskNow(-1)) << "no current row";
}

TEST_F(AppCoreTest, PressInsideAnActionThatPausesAndDeletesRowsRunsWhatThePressFound) {
    // An action's own message loop (a message box, the shell's dialogs) lets
    // presses in. One that pauses and resumes makes a new registration pass
    // and another deletes rows while the outer press is still running:
    // the outer press ran over freed hotkey texts and vanished rows.
    auto owned = std::make_unique<test::RecordingActions>();
    test::RecordingActions& actions = *owned;
    core.setActions(std::move(owned));
    const HotKeyCode pause = kCtrlBit | kAltBit | 'P';
    ASSERT_TRUE(core.SetPauseHotKey(pause));
    test::FillTable(core.tasks(), {{u"Run Calc", u"Ctrl+Alt+N"},
                                   {u"Log off computer", u"Ctrl+Alt+M"},
                                   {u"Run Notepad", u"Ctrl+Alt+N"},
                                   {u"Run Command Promt", u"Ctrl+Alt+N"}});
    core.RegisterAllTaskHotKeys();
    actions.onCall = [&] {
        if (actions.calls.size() != 1) return; // inside the first action only
        Press(pause);
        Press(pause);
        Press(kCtrlBit | kAltBit | 'M');
        core.SelectTasks(2, {2, 3});
        core.DeleteSelectedTasks();
    };
    Press(kCtrlBit | kAltBit | 'N');
    EXPECT_EQ(actions.calls, (test::Calls{"Fixed|calc.exe|1", "LogOff", "Fixed|notepad.exe|1",
                                          "Fixed|cmd.exe|1"}));
    EXPECT_EQ(core.table().taskCount(), 2);
    EXPECT_FALSE(core.paused());
}

TEST_F(AppCoreTest, FailuresActionsTellWaitForTheWindowInOrder) {
    auto owned = std::make_unique<test::RecordingActions>();
    owned->onCall = [&calls = owned->calls] { throw ActionFailure(calls.back()); };
    core.setActions(std::move(owned));
    int heard = 0;
    core.setActionFailureListener([&] { ++heard; });
    test::FillTable(core.tasks(), {{u"Open Website...", u"Ctrl+Alt+1", u"a"},
                                   {u"Open Website...", u"Ctrl+Alt+1", u"b"}});
    core.RegisterAllTaskHotKeys();
    Press(kCtrlBit | kAltBit | '1');
    EXPECT_TRUE(core.RunTaskNow(1));
    EXPECT_EQ(heard, 3);
    EXPECT_EQ(core.TakeActionFailures(),
              (std::vector<std::u16string>{u"Task 1, Open Website...: Web|a|1",
                                           u"Task 2, Open Website...: Web|b|1",
                                           u"Task 2, Open Website...: Web|b|1"}));
    EXPECT_TRUE(core.TakeActionFailures().empty());
}

} // namespace
} // namespace keyvane

// The pause and the program in front: which hotkeys the core holds while
// paused, in full screen, or with tasks for some programs only.
#include "CoreFixture.h"

#include <set>

namespace keyvane {
namespace {

using test::AppCoreTest;
using test::kCtrlAlt;

TEST_F(AppCoreTest, PausedCoreRegistersNothingUntilResumed) {
    FillNumbered(2);
    core.SetPaused(true);
    EXPECT_TRUE(state.Held().empty()) << "every hotkey goes back to the system";
    EXPECT_EQ(core.HotKeyStateOfTask(0), HotKeyState::Paused) << "paused is not taken elsewhere";
    core.RegisterAllTaskHotKeys();
    core.BeginAdd();
    core.CommitEdit(
        {Action::RunNotepad, static_cast<std::uint16_t>(0x4000 | 0x8000 | 'N'), u"", u"Normal"});
    core.EndEdit();
    core.Undo();
    core.Redo();
    EXPECT_TRUE(state.Held().empty()) << "no registration pass takes a hotkey while paused";

    core.BeginEdit();
    core.SetPaused(false);
    EXPECT_TRUE(state.Held().empty()) << "the open editor's field keeps the keys";
    core.EndEdit();
    EXPECT_EQ(state.Held().size(), 3u);
    EXPECT_TRUE(state.Held().count({kCtrlAlt, 'N'}));
    EXPECT_EQ(core.HotKeyStateOfTask(0), HotKeyState::Ok);
}

TEST_F(AppCoreTest, PauseHotKeyStaysRegisteredSwitchesThePauseAndTakesNoTaskCombination) {
    FillNumbered(2);
    int told = 0;
    core.setChangeListener([&](const CoreChange& change) { told += change.pause ? 1 : 0; });
    const HotKeyCode pause = kCtrlBit | kAltBit | 'P';
    EXPECT_TRUE(core.SetPauseHotKey(pause));
    EXPECT_EQ(state.Held().size(), 3u);

    Press(pause);
    EXPECT_TRUE(core.paused());
    EXPECT_NE(core.PausedNote().find(HotKeyCodeToText(core.hotKeyNames(), pause)),
              std::u16string::npos)
        << "the note names the hotkey that resumes";
    EXPECT_EQ(state.Held(), (std::set<std::pair<int, int>>{{kCtrlAlt, 'P'}}))
        << "paused, only the pause hotkey is held, to resume";
    core.BeginAdd();
    EXPECT_TRUE(core.AdviseEditorHotKey(pause).refused) << "a task on it would never run";
    core.EndEdit();
    EXPECT_EQ(state.Held().size(), 1u) << "an edit ending while paused registers no task";
    Press(pause);
    EXPECT_FALSE(core.paused());
    EXPECT_EQ(told, 2);
    EXPECT_EQ(state.Held().size(), 3u);

    // The field refuses a task's combination and keeps its own; Backspace empties it.
    EXPECT_FALSE(core.PressPauseField(kCtrlBit | kAltBit | '1').empty());
    EXPECT_EQ(core.pauseHotKey(), pause);
    core.DeleteAllTasks();
    EXPECT_EQ(state.Held().size(), 1u) << "giving back what no row holds keeps the pause hotkey";
    EXPECT_TRUE(core.PressPauseField(0x08).empty());
    EXPECT_EQ(core.pauseHotKey(), 0u);
    EXPECT_TRUE(state.Held().empty());
}

TEST_F(AppCoreTest, TasksForSomeProgramsFollowTheProgramInFrontAndTheOthersNeverChurn) {
    const auto row = [&](std::u16string hotkey, std::u16string dest, std::u16string programs,
                         std::u16string ifRunning = u"") {
        test::AppendRow(core.tasks(), {u"Run selected program...", hotkey, dest});
        const int r = core.tasks().taskCount() - 1;
        core.tasks().setCellText(Column::Programs, r, programs);
        core.tasks().setCellText(Column::If_running, r, ifRunning);
    };
    row(u"Ctrl+Alt+1", u"all.exe", u"");
    row(u"Ctrl+Alt+2", u"notes.exe", u"notepad.exe", u"Front");
    row(u"Ctrl+Alt+3", u"nogame.exe", u"!game.exe", u"Toggle");
    row(u"Ctrl+Alt+1", u"shared.exe", u"Notepad.exe;code.exe"); // shares the code of row 0
    row(u"Ctrl+Alt+4", u"odd.exe", u"a.exe;!b.exe", u"Later");  // unreadable: everywhere
    auto actions = std::make_unique<test::CoreActions>();
    test::CoreActions& ran = *actions;
    core.setActions(std::move(actions));
    const auto held = [&] {
        std::string keys;
        for (const auto& [pair, id] : state.ours)
            keys += static_cast<char>(pair.second);
        return keys;
    };
    const auto press = [&](char key) {
        ran.runs.clear();
        Press(kCtrlBit | kAltBit | static_cast<HotKeyCode>(key));
        return ran.runs;
    };
    using Runs = std::vector<std::string>;

    core.ForegroundChanged({u"explorer.exe"});
    core.RegisterAllTaskHotKeys();
    EXPECT_EQ(held(), "134");
    EXPECT_EQ(press('1'), Runs{"all.exe"}) << "the shared code runs only the row for all";
    EXPECT_EQ(press('4'), Runs{"odd.exe"});
    EXPECT_EQ(core.HotKeyStateOfTask(1), HotKeyState::OtherPrograms);

    const std::size_t registered = state.flagsPassed.size();
    core.ForegroundChanged({u"NOTEPAD.EXE"});
    EXPECT_EQ(held(), "1234");
    EXPECT_EQ(state.flagsPassed.size(), registered + 1) << "only the code of row 1 is asked for";
    EXPECT_EQ(press('1'), (Runs{"all.exe", "shared.exe"}));
    EXPECT_EQ(press('2'), Runs{"notes.exe raised"});
    EXPECT_EQ(press('3'), Runs{"nogame.exe toggled"});

    core.ForegroundChanged({u"game.exe"});
    EXPECT_EQ(held(), "14");
    EXPECT_EQ(state.unregistered.size(), 2u) << "rows for all programs keep theirs";
    EXPECT_TRUE(press('2').empty()) << "a press queued before the change does nothing";

    // An edit holds no hotkey, whatever comes in front; its end follows it.
    core.BeginEdit();
    core.ForegroundChanged({u"notepad.exe"});
    EXPECT_EQ(held(), "");
    core.EndEdit();
    EXPECT_EQ(held(), "1234");

    // The full-screen pause, only with its option on.
    core.ForegroundChanged({u"game.exe", true});
    EXPECT_EQ(held(), "14");
    core.SetPauseWhenFullScreen(true);
    EXPECT_EQ(held(), "");
    EXPECT_TRUE(press('1').empty());
    core.ForegroundChanged({u"code.exe", false});
    EXPECT_EQ(held(), "134");
    EXPECT_FALSE(core.paused()) << "the tray's pause is the user's alone";

    // A program that cannot be named (a game refusing every question) may
    // be the one a "Not in" task excludes: its hotkey is left to it.
    core.ForegroundChanged({std::u16string(kUnnamedProgram)});
    EXPECT_EQ(held(), "14");
    EXPECT_TRUE(press('3').empty());
}

TEST_F(AppCoreTest, TheWindowInFrontIsWatchedOnlyWhileATaskOrTheFullScreenPauseNeedsIt) {
    std::vector<ForegroundNeed> told;
    core.setForegroundWatchSwitch([&](ForegroundNeed need) { told.push_back(need); });
    test::AppendRow(core.tasks(), {u"Run Calc", u"Ctrl+Alt+1", u"x"});
    core.tasks().setCellText(Column::Programs, 0, u"a.exe;!b.exe"); // unreadable: for all
    core.SortTasks(Column::Desc);
    EXPECT_TRUE(told.empty()) << "no task for some programs, no full-screen pause";

    TaskFields scoped{Action::RunCalc, 0, u"y", u"Normal", ScopeKind::NotIn, u"game.exe"};
    core.BeginAdd();
    core.CommitEdit(scoped);
    core.EndEdit();
    core.SetPauseWhenFullScreen(true);
    core.ForegroundChanged({u"game.exe", true});
    EXPECT_TRUE(core.suspended());
    core.SelectTasks(1, {1});
    core.DeleteSelectedTasks();
    core.SetPauseWhenFullScreen(false);
    // The report from before the watch stopped is stale.
    core.SetPauseWhenFullScreen(true);
    EXPECT_FALSE(core.suspended());
    EXPECT_EQ(told,
              (std::vector<ForegroundNeed>{
                  {true, false}, {true, true}, {false, true}, {false, false}, {false, true}}));
}

} // namespace
} // namespace keyvane

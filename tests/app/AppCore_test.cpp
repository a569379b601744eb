// The program's operations through the application core, with a fake of the
// system's hotkey service and the task list in a temporary folder.
#include "app/AppCore.h"

#include "TestFiles.h"
#include "FakeHotKeySystem.h"
#include "FakeKeyNames.h"
#include "RecordingActions.h"
#include "TaskRows.h"
#include "base/Text.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#endif

namespace keyvane {
namespace {

class AppCoreTest : public ::testing::Test {
  protected:
    AppCoreTest()
        : core(test::U16Path(dir / "data" / "actions.cfg"), layout.names,
               std::make_unique<test::FakeHotKeySystem>(state)) {
        core.Start(); // no file yet: an empty table, and saving is allowed
    }

    // Rows "Run Calc" with Ctrl+Alt+1, +2, ... and the destination "rowN".
    void FillNumbered(int count) {
        for (int i = 1; i <= count; ++i) {
            const std::u16string n(1, static_cast<char16_t>(u'0' + i));
            test::AppendRow(core.tasks(), {u"Run Calc", u"Ctrl+Alt+" + n, u"row" + n});
        }
        core.RegisterAllTaskHotKeys();
    }
    std::u16string Dests() const {
        std::u16string out;
        for (int r = 0; r < core.table().taskCount(); ++r)
            out += core.table().cellText(Column::Dest, r) + u" ";
        return out;
    }
    bool Saved() const { return std::filesystem::exists(dir / "data" / "actions.cfg"); }

    test::FakeLayout layout;
    test::TempFolder dir;
    test::SystemState state; // what the system holds for us
    AppCore core;
};

constexpr int kCtrlAlt = 2 | 1;

// The main window as the option files see it; onRead runs when a save reads
// the options.
struct FakeOptionsWindow final : OptionsWindow {
    std::function<void()> onRead;
    void SetAutoStartOption(bool) override {}
    void SetTrayOnlyOption(bool) override {}
    void SetColumnWidth(int, int) override {}
    void SetPauseHotKey(HotKeyCode) override {}
    void SetPauseFullScreenOption(bool) override {}
    void ShowMainWindow() override {}
    void SetWindowWidth(int) override {}
    void SetWindowHeight(int) override {}
    void MaximizeWindow() override {}
    void MoveWindowTo(int, int) override {}
    SettingsValues CurrentOptions() const override {
        if (onRead) onRead();
        return {};
    }
    WindowSizeValues CurrentWindowSize() const override { return {}; }
    int Dpi() const override { return kDesignDpi; }
    void KeepReachable() override {}
};

struct NoAutostart final : AutostartStore {
    void WriteRunValue(std::u16string_view) override {}
};

std::unique_ptr<OptionFiles> OptionFilesIn(const std::filesystem::path& dir) {
    return std::make_unique<OptionFiles>(test::U16Path(dir / "keyvane.exe"),
                                         std::make_unique<NoAutostart>());
}

TEST_F(AppCoreTest, DeleteRemovesEverySelectedRowSavesAndGivesTheirHotKeysBack) {
    FillNumbered(5);
    ASSERT_EQ(state.Held().size(), 5u);
    core.tasks().selectTask(0);
    core.tasks().setTaskSelected(1, true);
    core.tasks().setTaskSelected(3, true);
    core.DeleteSelectedTasks();
    EXPECT_EQ(Dests(), u"row3 row5 ");
    EXPECT_TRUE(Saved());
    EXPECT_EQ(state.Held(), (std::set<std::pair<int, int>>{{kCtrlAlt, '3'}, {kCtrlAlt, '5'}}))
        << "a deleted task's hotkey works again in other programs";
    core.DeleteAllTasks();
    EXPECT_TRUE(state.Held().empty());
}

TEST_F(AppCoreTest, MoveSwapsWithTheNeighbourAndAtTheEndsChangesNothing) {
    FillNumbered(5);
    core.tasks().selectTask(4);
    EXPECT_FALSE(core.MoveCurrentTask(+1));
    core.tasks().selectTask(0);
    EXPECT_FALSE(core.MoveCurrentTask(-1));
    EXPECT_FALSE(Saved()) << "a move that changes nothing writes nothing";
    core.tasks().selectTask(2);
    EXPECT_TRUE(core.MoveCurrentTask(-1));
    EXPECT_EQ(Dests(), u"row1 row3 row2 row4 row5 ");
    EXPECT_EQ(core.tasks().currentTask(), 1);
    EXPECT_TRUE(core.tasks().isTaskSelected(1));
    EXPECT_TRUE(Saved());
}

TEST_F(AppCoreTest, EditorOkWritesOneRowAndKeepsWhatTheFieldsCouldNotShow) {
    test::FillTable(core.tasks(), {{u"Custom action", u"Win+Q", u"x", u"Turbo", false}});
    core.tasks().selectTask(0);
    const EditPreset preset = *core.BeginEdit();
    EXPECT_FALSE(preset.actionShown);
    EXPECT_TRUE(preset.hotKeyShown) << "the field holds the Win key";
    EXPECT_EQ(preset.fields.hotKey, kWinBit | 'Q');
    EXPECT_EQ(preset.fields.runType, u"Normal");

    // Edit: the user changes only the destination.
    TaskFields edited = preset.fields;
    edited.destination = u"y";
    core.CommitEdit(edited);
    core.EndEdit();
    ASSERT_EQ(core.tasks().taskCount(), 1);
    EXPECT_EQ(core.tasks().cellText(Column::Desc, 0), u"Custom action");
    EXPECT_EQ(core.tasks().cellText(Column::Hotkey, 0), u"Win+Q");
    EXPECT_EQ(core.tasks().cellText(Column::Dest, 0), u"y");
    EXPECT_FALSE(core.tasks().cellFlag(u"Enabled", 0)) << "editing keeps Enabled";
    EXPECT_EQ(core.lastAppendedRow(), -1);

    // Add: appends an enabled row with the field's hotkey.
    const TaskFields add{Action::RunNotepad, static_cast<std::uint16_t>(0x4000 | 0x8000 | 'N'), u"",
                         u"Hide"};
    core.BeginAdd();
    core.CommitEdit(add);
    EXPECT_TRUE(state.Held().empty()) << "nothing is registered while the editor is open";
    core.EndEdit();
    ASSERT_EQ(core.tasks().taskCount(), 2);
    EXPECT_EQ(core.lastAppendedRow(), 1);
    EXPECT_EQ(core.tasks().cellText(Column::Hotkey, 1), u"Ctrl+Alt+N");
    EXPECT_TRUE(core.tasks().cellFlag(u"Enabled", 1));
    EXPECT_TRUE(state.Held().count({kCtrlAlt, 'N'})) << "the new hotkey is registered as it closes";
}

TEST_F(AppCoreTest, SecondOkAfterAFailedSaveUpdatesTheRowItAppended) {
    // A file where the data folder should be: every save fails.
    test::WriteBytes(dir / "data", {1});
    TaskFields add{Action::RunCalc, 0, u"first", u"Normal"};
    core.BeginAdd();
    EXPECT_THROW(core.CommitEdit(add), IoError);
    add.destination = u"second";
    EXPECT_THROW(core.CommitEdit(add), IoError);
    core.EndEdit();
    EXPECT_EQ(Dests(), u"second ");
    EXPECT_EQ(core.lastAppendedRow(), 0);

    // Edit with no current row writes no row outside the table: it appends.
    core.tasks().removeAllTasks();
    EXPECT_FALSE(core.BeginEdit());
    EXPECT_THROW(core.CommitEdit({Action::RunCalc, 0, u"x", u"Normal"}), IoError);
    core.EndEdit();
    EXPECT_EQ(core.tasks().taskCount(), 1);
}

TEST_F(AppCoreTest, UndoPutsEachChangeBackByNameAndRedoMakesItAgain) {
    FillNumbered(3);
    core.SaveTaskList();
    const auto loaded = test::ReadBytes(dir / "data" / "actions.cfg");
    core.tasks().selectTask(2);
    ASSERT_TRUE(core.MoveCurrentTask(-1));
    core.SortTasks(Column::Dest); // row1 row2 row3
    core.SortTasks(Column::Dest); // row3 row2 row1
    const auto sorted = test::ReadBytes(dir / "data" / "actions.cfg");
    core.DeleteAllTasks();
    core.DeleteAllTasks(); // on an empty table: nothing to undo
    EXPECT_TRUE(state.Held().empty());

    EXPECT_EQ(core.UndoName(), u"Delete All");
    ASSERT_TRUE(core.Undo());
    EXPECT_EQ(Dests(), u"row3 row2 row1 ");
    EXPECT_EQ(test::ReadBytes(dir / "data" / "actions.cfg"), sorted) << "saved at once";
    EXPECT_EQ(state.Held().size(), 3u) << "the hotkeys come back with their rows";
    EXPECT_EQ(core.RedoName(), u"Delete All");
    for (const char16_t* name : {u"Sort", u"Sort", u"Move"}) {
        EXPECT_EQ(core.UndoName(), name);
        ASSERT_TRUE(core.Undo());
    }
    EXPECT_EQ(test::ReadBytes(dir / "data" / "actions.cfg"), loaded);
    EXPECT_FALSE(core.CanUndo());
    EXPECT_FALSE(core.Undo());

    ASSERT_TRUE(core.Redo());
    EXPECT_EQ(Dests(), u"row1 row3 row2 ");
    core.tasks().selectTask(0);
    core.DeleteSelectedTasks();
    EXPECT_EQ(core.UndoName(), u"Delete");
    EXPECT_FALSE(core.CanRedo()) << "a new change forgets what could be redone";
}

TEST_F(AppCoreTest, AFailedSaveStillMovesTheStepWithTheTable) {
    FillNumbered(2);
    core.DeleteAllTasks();
    std::filesystem::remove_all(dir / "data");
    test::WriteBytes(dir / "data", {1}); // every save fails from now on
    EXPECT_THROW(core.Undo(), IoError);
    EXPECT_EQ(Dests(), u"row1 row2 ");
    EXPECT_EQ(state.Held().size(), 2u) << "the hotkeys follow the table, not the file";
    EXPECT_FALSE(core.CanUndo());
    EXPECT_EQ(core.RedoName(), u"Delete All");

    std::filesystem::remove(dir / "data");
    ASSERT_TRUE(core.Redo());
    EXPECT_EQ(core.tasks().taskCount(), 0);
    EXPECT_TRUE(Saved());
    EXPECT_TRUE(state.Held().empty());
}

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
    core.setPauseListener([&] { ++told; });
    const HotKeyCode pause = kCtrlBit | kAltBit | 'P';
    EXPECT_TRUE(core.SetPauseHotKey(pause));
    EXPECT_EQ(state.Held().size(), 3u);

    core.HotKeyPressed(pause);
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
    core.HotKeyPressed(pause);
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

TEST_F(AppCoreTest, RunByNumberNamesWhyATaskDoesNotRun) {
    FillNumbered(2);
    core.ToggleEnabled(1);
    using R = AppCore::RunResult;
    EXPECT_EQ(core.RunTask(0), R::NoSuchTask);
    EXPECT_EQ(core.RunTask(3), R::NoSuchTask);
    EXPECT_EQ(core.RunTask(2), R::Disabled);
    EXPECT_EQ(core.TaskRunnable(1), R::NoAction) << "no actions yet: nothing to run it with";
}

TEST_F(AppCoreTest, IconNumbersCountTheRecognisedRowsAboveAndSourcesAreShared) {
    test::FillTable(core.tasks(), {{u"Hibernate computer"},
                                   {u"Unknown"},
                                   {u"Stand by computer"},
                                   {u"Run selected program...", {}, u"C:\\a.exe"},
                                   {u"Close selected program...", {}, u"C:\\a.exe"}});
    core.tasks().setCellText(Column::Image, 1, u"7");
    const IconPlan& plan = core.RebuildTaskIcons();
    std::u16string images;
    for (int r = 0; r < 5; ++r)
        images += core.tasks().cellText(Column::Image, r) + u" ";
    EXPECT_EQ(images, u"0 7 1 2 3 ") << "an unknown action keeps its Image";
    ASSERT_EQ(plan.entries.size(), 4u) << "hibernate and stand by get an entry each";
    EXPECT_EQ(plan.sources.size(), 2u) << "each picture is made once";
    EXPECT_EQ(plan.entries, (std::vector<int>{0, 0, 1, 1}));
    EXPECT_EQ(plan.SourceOfImage(7), -1);
}

// A file that exists but cannot be opened, as a list another program holds
// locked: on Windows one opened without sharing, natively a socket, which
// refuses open() even to root.
#ifdef _WIN32
struct UnopenableFile {
    explicit UnopenableFile(const std::filesystem::path& path) {
        test::WriteBytes(path, {'x'});
        handle = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_NE(handle, INVALID_HANDLE_VALUE);
    }
    ~UnopenableFile() { Release(); }
    void Release() {
        if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
        handle = INVALID_HANDLE_VALUE;
    }
    HANDLE handle = INVALID_HANDLE_VALUE;
};
#else
struct UnopenableFile {
    explicit UnopenableFile(const std::filesystem::path& path) : path(path) {
        fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
        EXPECT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    }
    ~UnopenableFile() { ::close(fd); }
    void Release() { std::filesystem::remove(path); }
    std::filesystem::path path;
    int fd = -1;
};
#endif

// Power off as the system's operations run it: what the core handed over,
// then the request, which sees what is on disk.
class PowerOffActions final : public ActionOperations {
  public:
    std::function<void()> request;
    void PowerOffComputer() override {
        beforeSessionEnds()();
        request();
    }
    void RebootComputer() override {}
    void HibernateComputer() override {}
    void StandByComputer() override {}
    void LogOffComputer() override {}
    void OpenCDTray(const std::u16string&) override {}
    void CloseCDTray(const std::u16string&) override {}
    void ToggleMinimizeAll() override {}
    void RunSelectedProgram(const std::u16string&, const std::u16string&, int) override {}
    void OpenSpecialFolder(SpecialFolder, int) override {}
    void CloseProgramByName(const std::u16string&) override {}
    void OpenWebsite(const std::u16string&, int) override {}
    void RunFixedProgram(const std::u16string&, int) override {}
    void TypeText(const std::u16string&) override {}
    void SendKeys(const std::vector<HotKeyCode>&) override {}
};

TEST_F(AppCoreTest, APowerOffFindsTheTasksAndThenTheOptionsSaved) {
    std::vector<std::string> steps;
    core.setOptionFiles(OptionFilesIn(dir.path()));
    FakeOptionsWindow window;
    core.AttachOptionsWindow(&window);
    window.onRead = [&] { steps.push_back(Saved() ? "options after tasks" : "options"); };
    auto actions = std::make_unique<PowerOffActions>();
    actions->request = [&] { steps.push_back(Saved() ? "request after tasks" : "request"); };
    core.setActions(std::move(actions));
    test::AppendRow(core.tasks(), {u"Power off computer", u"Ctrl+Alt+1", u""});
    core.RegisterAllTaskHotKeys();
    core.HotKeyPressed(kCtrlBit | kAltBit | '1');
    EXPECT_EQ(steps, (std::vector<std::string>{"options after tasks", "request after tasks"}));
}

TEST_F(AppCoreTest, RunNowRunsADisabledTaskWhilePausedAndSavesBeforeAPowerOff) {
    std::vector<std::string> steps;
    auto actions = std::make_unique<PowerOffActions>();
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
        core.HotKeyPressed(pause);
        core.HotKeyPressed(pause);
        core.HotKeyPressed(kCtrlBit | kAltBit | 'M');
        core.SelectTasks(2, {2, 3});
        core.DeleteSelectedTasks();
    };
    core.HotKeyPressed(kCtrlBit | kAltBit | 'N');
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
    core.HotKeyPressed(kCtrlBit | kAltBit | '1');
    EXPECT_TRUE(core.RunTaskNow(1));
    EXPECT_EQ(heard, 3);
    EXPECT_EQ(core.TakeActionFailures(),
              (std::vector<std::u16string>{u"Task 1, Open Website...: Web|a|1",
                                           u"Task 2, Open Website...: Web|b|1",
                                           u"Task 2, Open Website...: Web|b|1"}));
    EXPECT_TRUE(core.TakeActionFailures().empty());
}

TEST_F(AppCoreTest, AddWithGivenFieldsAppendsAndUndoTakesItBack) {
    FillNumbered(1);
    core.tasks().selectTask(0);
    const TaskFields dropped{Action::OpenWebsite, 0, u"https://example.org/", u"Normal"};
    EXPECT_EQ(core.BeginAdd(dropped).fields.destination, dropped.destination);
    EXPECT_TRUE(state.Held().empty()) << "the editor's hotkey field gets the keys";
    core.CommitEdit(dropped);
    core.EndEdit();
    ASSERT_EQ(core.table().taskCount(), 2);
    EXPECT_EQ(core.table().cellText(Column::Desc, 1), u"Open Website...");
    EXPECT_EQ(core.table().cellText(Column::Dest, 0), u"row1") << "the current row stays";
    EXPECT_EQ(core.lastAppendedRow(), 1);
    EXPECT_EQ(core.UndoName(), u"Add");
    EXPECT_TRUE(core.Undo());
    EXPECT_EQ(Dests(), u"row1 ");
}

TEST(AppCoreLife, ALockedListIsNeverOverwrittenAndIsMergedOnceItCanBeRead) {
    test::FakeLayout layout;
    test::TempFolder dir;
    std::filesystem::create_directories(dir / "data");
    const auto file = dir / "data" / "actions.cfg";
    // Leftovers of saves killed before their last step; not ours to keep.
    test::WriteBytes(dir / "data" / "actions.cfg.4242.tmp", {1});
    test::WriteBytes(dir / "data" / "actions.cfg.x.tmp", {1});
    UnopenableFile locked(file);
    test::SystemState state;
    AppCore core(test::U16Path(file), layout.names,
                 std::make_unique<test::FakeHotKeySystem>(state));
    EXPECT_THROW(core.SaveTaskList(), IoError) << "nothing is saved before the load";
    core.Start();
    EXPECT_FALSE(std::filesystem::exists(dir / "data" / "actions.cfg.4242.tmp"));
    EXPECT_TRUE(std::filesystem::exists(dir / "data" / "actions.cfg.x.tmp")) << "not our name";

    // A damaged option file: told first, and left as it is.
    test::WriteBytes(dir / "data" / "settings.cnfg", {'x'});
    core.setOptionFiles(OptionFilesIn(dir.path()));
    FakeOptionsWindow window;
    core.AttachOptionsWindow(&window);
    EXPECT_NO_THROW(core.ReapplyWindowSize()) << "no window-size file is no error";
    const auto reports = core.TakeStartupReports();
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_NE(reports[0].find(u"'x'"), std::u16string::npos) << "the option files' come first";
    EXPECT_NO_THROW(core.LoadOptionsOnFirstActivation()) << "told once per start";
    EXPECT_EQ(std::filesystem::file_size(dir / "data" / "settings.cnfg"), 1u) << "not written";
    EXPECT_NE(reports[1].find(u"left as it is"), std::u16string::npos);
    EXPECT_TRUE(core.TakeStartupReports().empty()) << "told once";

    // While it is held, saves fail and the file stays as it is; with no task
    // made meanwhile there is nothing to keep, so an exit is not held up.
    EXPECT_NO_THROW(core.SaveLastTime());
    test::AppendRow(core.tasks(), {u"Run Notepad", u"Ctrl+Alt+N", u"new"});
    EXPECT_THROW(core.SaveLastTime(), IoError) << "a task made meanwhile is not dropped";
    EXPECT_TRUE(std::filesystem::exists(file));
    EXPECT_FALSE(std::filesystem::exists(dir / "data" / "actions.cfg.bak"));

    // Released: the file's tasks come first, the new one after, and the
    // file's hotkeys are registered.
    locked.Release();
    test::WriteBytes(file, {'1', ',', 'R', 'u', 'n', ' ', 'C', 'a', 'l', 'c', ',', 'C', 't',
                            'r', 'l', '+', 'A', 'l', 't', '+', '1', ',', 'o', 'l', 'd'});
    core.SaveTaskList();
    ASSERT_EQ(core.tasks().taskCount(), 2);
    EXPECT_EQ(core.tasks().cellText(Column::Dest, 0), u"old");
    EXPECT_EQ(core.tasks().cellText(Column::Dest, 1), u"new");
    EXPECT_TRUE(state.Held().count({kCtrlAlt, '1'}));
    core.Exit();
    EXPECT_TRUE(state.Held().empty()) << "exit gives every hotkey back";
}

TEST(FirstCdDrive, FirstLetterWithACdRomDrive) {
    const auto types = [](char16_t letter) { return letter == u'D' || letter == u'E' ? 5u : 3u; };
    EXPECT_EQ(FirstCdDrive(0b11100, types), u"D"); // C, D, E present
    EXPECT_EQ(FirstCdDrive(0b10100, types), u"E"); // no D
    EXPECT_EQ(FirstCdDrive(0b00100, types), u"");
}

TEST_F(AppCoreTest, CommandsThatCannotActAreNotOffered) {
    const auto offered = [&] {
        const TaskCommands can = core.AvailableTaskCommands();
        std::string out;
        for (auto [on, name] : {std::pair{can.edit, "edit "},
                                {can.remove, "delete "},
                                {can.removeAll, "all "},
                                {can.moveUp, "up "},
                                {can.moveDown, "down "}})
            if (on) out += name;
        return out;
    };
    EXPECT_EQ(offered(), "") << "an empty list";
    FillNumbered(3);
    EXPECT_EQ(offered(), "all ") << "no row selected";
    core.SelectTasks(0, {0});
    EXPECT_EQ(offered(), "edit delete all down ");
    core.SelectTasks(2, {0, 2});
    EXPECT_EQ(offered(), "delete all up ") << "two rows, the last one current";
    core.SetTaskFilter(u"nothing matches");
    EXPECT_EQ(offered(), "") << "the rows the filter hides are let go";
}

TEST_F(AppCoreTest, FilterKeepsCommandsOnTheRowsTheUserSees) {
    FillNumbered(5); // destinations row1 ... row5
    core.tasks().setCellText(Column::Dest, 1, u"other");
    core.tasks().setCellText(Column::Dest, 3, u"OTHER too");
    core.tasks().selectTask(0);
    for (int row : {1, 2, 3})
        core.tasks().setTaskSelected(row, true);
    core.SetTaskFilter(u"Other");
    const TaskFilter& filter = core.taskFilter();
    ASSERT_EQ(filter.visibleCount(), 2);
    EXPECT_EQ(core.tasks().currentTask(), -1) << "Edit must not open a hidden row";
    EXPECT_TRUE(core.tasks().isTaskSelected(1) && core.tasks().isTaskSelected(3));
    EXPECT_FALSE(core.tasks().isTaskSelected(0) || core.tasks().isTaskSelected(2));

    // The grid's selection arrives as table rows; Delete takes only those.
    core.SelectTasks(filter.TableRow(1), {filter.TableRow(1)});
    core.DeleteSelectedTasks();
    EXPECT_EQ(Dests(), u"row1 other row3 row5 ");
    EXPECT_EQ(filter.visibleCount(), 1) << "every change matches the filter again";
    // A new task the filter hides is neither current nor selected.
    core.BeginAdd();
    core.CommitEdit({Action::RunCalc, 0, u"hidden", u"Normal"});
    core.EndEdit();
    EXPECT_EQ(core.tasks().currentTask(), -1);
    EXPECT_FALSE(core.tasks().isTaskSelected(4));
    // The window hears of a change once, after the change is on disk (it
    // once heard mid-way, before the save).
    int told = 0;
    std::vector<std::uint8_t> fileWhenTold;
    core.setChangeListener([&] {
        ++told;
        fileWhenTold = test::ReadBytes(dir / "data" / "actions.cfg");
    });
    core.DeleteAllTasks();
    EXPECT_EQ(Dests(), u"row1 row3 row5 hidden ") << "Delete All takes only the rows shown";
    EXPECT_EQ(told, 1);
    EXPECT_EQ(fileWhenTold, test::ReadBytes(dir / "data" / "actions.cfg"));
    core.SetTaskFilter(u"");
    EXPECT_EQ(filter.visibleCount(), 4);
}

TEST_F(AppCoreTest, EditorAdviceNamesOtherTasksAndProgramsButNotTheEditedRow) {
    FillNumbered(2);
    test::AppendRow(core.tasks(), {u"Run Calc", u"Ctrl+Alt+1", u"twin"});
    core.tasks().selectTask(0);
    ASSERT_TRUE(core.BeginEdit());
    EXPECT_TRUE(state.Held().empty()) << "an edit gives every hotkey back";
    EXPECT_EQ(core.AdviseEditorHotKey(kCtrlBit | kAltBit | '1').text,
              u"Task 3 uses this hotkey too");
    state.heldElsewhere.insert({kCtrlAlt, 'P'}); // another program's
    EXPECT_EQ(core.AdviseEditorHotKey(kCtrlBit | kAltBit | 'P').text,
              u"This hotkey is in use by another program");
    EXPECT_TRUE(state.ours.empty()) << "the trial registration is given back";
    EXPECT_TRUE(core.AdviseEditorHotKey(' ').refused);
    core.EndEdit();
    EXPECT_EQ(core.AdviseEditorHotKey(kCtrlBit | kAltBit | '2').text,
              u"Task 2 uses this hotkey too")
        << "a hotkey of ours is not another program's";
}

} // namespace
} // namespace keyvane

namespace keyvane {
namespace {

// Which programs a press ran, and how.
class ProgramRuns final : public ActionOperations {
  public:
    std::vector<std::string> runs;
    void PowerOffComputer() override {}
    void RebootComputer() override {}
    void HibernateComputer() override {}
    void StandByComputer() override {}
    void LogOffComputer() override {}
    void OpenCDTray(const std::u16string&) override {}
    void CloseCDTray(const std::u16string&) override {}
    void ToggleMinimizeAll() override {}
    void RunSelectedProgram(const std::u16string& program, const std::u16string&, int) override {
        runs.push_back(ToUtf8(program));
    }
    void BringProgramToFront(const std::u16string& program, const std::u16string&, int,
                             bool toggle) override {
        runs.push_back(ToUtf8(program) + (toggle ? " toggled" : " raised"));
    }
    void OpenSpecialFolder(SpecialFolder, int) override {}
    void CloseProgramByName(const std::u16string&) override {}
    void OpenWebsite(const std::u16string&, int) override {}
    void RunFixedProgram(const std::u16string&, int) override {}
    void TypeText(const std::u16string&) override {}
    void SendKeys(const std::vector<HotKeyCode>&) override {}
};

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
    auto actions = std::make_unique<ProgramRuns>();
    ProgramRuns& ran = *actions;
    core.setActions(std::move(actions));
    const auto held = [&] {
        std::string keys;
        for (const auto& [pair, id] : state.ours)
            keys += static_cast<char>(pair.second);
        return keys;
    };
    const auto press = [&](char key) {
        ran.runs.clear();
        core.HotKeyPressed(kCtrlBit | kAltBit | static_cast<HotKeyCode>(key));
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

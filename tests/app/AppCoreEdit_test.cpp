// Editing the task list through the core: the editor's OK, delete, move,
// the filter and undo, each saved at once and followed by the hotkeys.
#include "CoreFixture.h"

#include "base/AppInfo.h"

#include <set>

namespace keyvane {
namespace {

using test::AppCoreTest;
using test::kCtrlAlt;

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

TEST_F(AppCoreTest, RightClickMenuActsOnTheRowClickedAndKeepsASelectionHoldingIt) {
    FillNumbered(4);
    core.tasks().setCellText(Column::Desc, 3, u"Hand-written");
    core.tasks().setCellText(Column::Enabled, 2, u"False");
    const auto selection = [&] {
        std::string out = std::to_string(core.table().currentTask()) + ":";
        for (int row = 0; row < core.table().taskCount(); ++row)
            if (core.table().isTaskSelected(row)) out += std::to_string(row);
        return out;
    };
    EXPECT_FALSE(core.OpenTaskMenu(-1, false)) << "below the last row";
    EXPECT_FALSE(core.OpenTaskMenu(-1, true)) << "the menu key without a current row";
    core.SelectTasks(0, {0, 2});
    std::optional<TaskMenu> menu = core.OpenTaskMenu(2, false);
    ASSERT_TRUE(menu);
    EXPECT_EQ(selection(), "2:02") << "a selection holding the row stays, for Delete";
    EXPECT_EQ(menu->row, 2);
    EXPECT_EQ(menu->enableItem, kEnableItem);
    menu = core.OpenTaskMenu(1, false);
    EXPECT_EQ(selection(), "1:1") << "a row outside the selection is selected alone";
    EXPECT_EQ(menu->enableItem, kDisableItem);
    EXPECT_TRUE(menu->canRun);
    menu = core.OpenTaskMenu(3, false);
    EXPECT_FALSE(menu->canRun) << "a Desc naming no action has nothing to run";
    menu = core.OpenTaskMenu(-1, true);
    EXPECT_EQ(menu->row, 3) << "the keyboard's menu is the current row's";
    EXPECT_EQ(selection(), "3:3");
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
    core.setChangeListener([&](const CoreChange&) {
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

} // namespace
} // namespace keyvane

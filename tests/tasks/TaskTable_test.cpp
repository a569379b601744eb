#include "tasks/TaskTable.h"

#include <gtest/gtest.h>

#include <vector>

namespace keyvane {
namespace {

// A table whose rows carry the given Desc texts, in order.
TaskTable TableOf(const std::vector<std::u16string>& descs) {
    TaskTable t;
    for (const auto& d : descs)
        t.setCellText(u"Desc", t.appendTasks(1), d);
    return t;
}

std::vector<std::u16string> Descs(const TaskTable& t) {
    std::vector<std::u16string> out;
    for (int r = 0; r < t.taskCount(); ++r)
        out.push_back(t.cellText(u"Desc", r));
    return out;
}

TEST(TaskTable, NewRowHoldsNewRowValues) {
    TaskTable t;
    EXPECT_EQ(t.appendTasks(1), 0);
    EXPECT_EQ(t.cellText(u"NxNumberColumn1", 0), u"1");
    for (auto col : {u"Desc", u"Hotkey", u"Dest", u"Type_run"})
        EXPECT_EQ(t.cellText(col, 0), u"");
    EXPECT_EQ(t.cellText(u"Image", 0), u"0");
    EXPECT_EQ(t.cellText(u"Enabled", 0), u"True");
    EXPECT_TRUE(t.cellFlag(u"Enabled", 0));
    EXPECT_EQ(t.currentTask(), -1);
    EXPECT_EQ(t.appendTasks(3), 3);
    EXPECT_EQ(t.appendTasks(0), 3) << "a count below 1 adds nothing";
    EXPECT_EQ(t.taskCount(), 4);
}

TEST(TaskTable, WritingTextFollowsTheCellKind) {
    struct Case {
        const char16_t* column;
        std::u16string written;
        std::u16string read;
    };
    const Case cases[] = {
        {u"NxNumberColumn1", u"7", u"3"},
        {u"Enabled", u"TRUE", u"True"},
        {u"Enabled", u"tRuE", u"True"},
        {u"Enabled", u"1", u"True"},
        {u"Enabled", u"yes", u"False"},
        {u"Enabled", u"", u"False"},
        {u"Enabled", u" true", u"False"},
        {u"Image", u"12", u"12"},
        {u"Image", u"", u"0"},
        {u"Image", u"-5", u"-5"},
        {u"Dest", u" a|b,\"c\" ", u" a|b,\"c\" "},
        {u"desc", u"Run Calc", u"Run Calc"},
        {u"TYPE_RUN", u"Minimze", u"Minimze"},
    };
    for (const auto& c : cases) {
        TaskTable t;
        t.appendTasks(3);
        t.setCellText(c.column, 2, c.written);
        EXPECT_EQ(t.cellText(c.column, 2), c.read)
            << std::string(c.written.begin(), c.written.end());
    }
}

TEST(TaskTable, BadIntegerFailsAndKeepsTheOldNumber) {
    TaskTable t;
    t.appendTasks(1);
    t.setCellNumber(u"Image", 0, 4);
    for (std::u16string bad : {u"x", u"7x", u"1.5", u" 3", u"-", u"99999999999", u"2147483648"}) {
        EXPECT_THROW(t.setCellText(u"Image", 0, bad), ConversionError);
        EXPECT_EQ(t.cellText(u"Image", 0), u"4");
    }
    t.setCellText(u"Image", 0, u"-2147483648");
    EXPECT_EQ(t.cellText(u"Image", 0), u"-2147483648");
}

TEST(TaskTable, BadRowsAndColumnsFail) {
    TaskTable t;
    t.appendTasks(2);
    EXPECT_THROW(t.cellText(u"Desc", -1), IndexError);
    EXPECT_THROW(t.cellText(u"Desc", 2), IndexError);
    EXPECT_THROW(t.setCellText(u"Desc", 2, u"x"), IndexError);
    EXPECT_THROW(t.isTaskSelected(5), IndexError);
    EXPECT_THROW(t.removeTask(2), IndexError);
    EXPECT_THROW(t.cellText(u"Nope", 0), UnknownColumnError);
    EXPECT_EQ(t.taskCount(), 2);
}

TEST(TaskTable, RemoveTaskMovesTheCurrentRowAsTold) {
    struct Case {
        int rows, current, removed, expectedCurrent;
    };
    const Case cases[] = {
        {3, 2, 2, 1},   // current removed at the end: the new last row
        {3, 2, 0, 1},   // a row before it removed: still the last row
        {4, 1, 0, 1},   // index kept, so it names the task that was row 2
        {4, -1, 0, -1}, // no current row stays none
        {1, 0, 0, -1},  // table emptied
    };
    for (const auto& c : cases) {
        TaskTable t;
        t.appendTasks(c.rows);
        t.selectTask(c.current);
        t.removeTask(c.removed);
        EXPECT_EQ(t.currentTask(), c.expectedCurrent) << c.rows << " rows, current " << c.current;
    }
}

TEST(TaskTable, RemoveKeepsSelectedFlagsOfTheOtherRows) {
    TaskTable t = TableOf({u"A", u"B", u"C"});
    t.setTaskSelected(0, true);
    t.setTaskSelected(2, true);
    t.removeTask(1);
    EXPECT_TRUE(t.isTaskSelected(0));
    EXPECT_TRUE(t.isTaskSelected(1));
    EXPECT_EQ(Descs(t), (std::vector<std::u16string>{u"A", u"C"}));
}

TEST(TaskTable, MoveTaskShiftsRowsBetween) {
    TaskTable t = TableOf({u"A", u"B", u"C", u"D"});
    t.selectTask(0);
    t.moveTask(0, 2);
    EXPECT_EQ(Descs(t), (std::vector<std::u16string>{u"B", u"C", u"A", u"D"}));
    EXPECT_TRUE(t.isTaskSelected(2)) << "the moved row keeps its selected flag";
    EXPECT_EQ(t.currentTask(), 0) << "the current index does not follow the move";
    t.moveTask(3, 0);
    EXPECT_EQ(Descs(t), (std::vector<std::u16string>{u"D", u"B", u"C", u"A"}));
    EXPECT_EQ(t.cellText(u"NxNumberColumn1", 3), u"4");

    EXPECT_THROW(t.moveTask(2, 4), IndexError);
    EXPECT_THROW(t.moveTask(-1, 0), IndexError);
    EXPECT_EQ(Descs(t), (std::vector<std::u16string>{u"D", u"B", u"C", u"A"}));
    EXPECT_NO_THROW(t.moveTask(9, 9)) << "from equal to to does nothing, whatever the value";
}

TEST(TaskTable, SelectTaskMakesTheOnlySelectedRow) {
    TaskTable empty;
    empty.selectTask(0);
    EXPECT_EQ(empty.currentTask(), -1);

    TaskTable t = TableOf({u"A", u"B", u"C"});
    t.setTaskSelected(0, true);
    t.selectTask(1);
    EXPECT_EQ(t.currentTask(), 1);
    EXPECT_FALSE(t.isTaskSelected(0));
    EXPECT_TRUE(t.isTaskSelected(1));
    t.selectTask(5);
    t.selectTask(-2);
    EXPECT_EQ(t.currentTask(), 1) << "out-of-range rows are ignored";
    t.selectTask(-1);
    EXPECT_EQ(t.currentTask(), -1);
    t.selectTask(2);
    t.removeAllTasks();
    EXPECT_EQ(t.currentTask(), -1);
}

TEST(TaskTable, SortOrdersByColumnKindAndFlipsOnRepeat) {
    TaskTable t = TableOf({u"b", u"B", u"a", u"A"});
    t.sortByColumn(u"Desc");
    EXPECT_EQ(Descs(t), (std::vector<std::u16string>{u"A", u"B", u"a", u"b"})) << "capitals first";
    t.sortByColumn(u"desc");
    EXPECT_EQ(Descs(t), (std::vector<std::u16string>{u"b", u"a", u"B", u"A"}));

    TaskTable n = TableOf({u"nine", u"ten", u"minus"});
    n.setCellNumber(u"Image", 0, 9);
    n.setCellNumber(u"Image", 1, 10);
    n.setCellNumber(u"Image", 2, -1);
    n.sortByColumn(u"Image");
    EXPECT_EQ(Descs(n), (std::vector<std::u16string>{u"minus", u"nine", u"ten"}))
        << "numbers, not text";

    TaskTable e = TableOf({u"on", u"off"});
    e.setCellText(u"Enabled", 1, u"False");
    e.sortByColumn(u"Enabled");
    EXPECT_EQ(Descs(e), (std::vector<std::u16string>{u"off", u"on"}));
}

TEST(TaskTable, SortRemembersDirectionPerColumn) {
    TaskTable t = TableOf({u"b", u"a", u"c"});
    t.setCellText(u"Dest", 0, u"1");
    t.setCellText(u"Dest", 1, u"3");
    t.setCellText(u"Dest", 2, u"2");
    t.sortByColumn(u"Desc");
    t.sortByColumn(u"Desc"); // Desc is now descending
    t.sortByColumn(u"Dest");
    EXPECT_EQ(Descs(t), (std::vector<std::u16string>{u"b", u"c", u"a"}));
    t.sortByColumn(u"Desc"); // back to Desc: its remembered direction, descending
    EXPECT_EQ(Descs(t), (std::vector<std::u16string>{u"c", u"b", u"a"}));
    // A change between clicks sorts afresh instead of reversing.
    t.setCellText(u"Desc", 0, u"0");
    t.sortByColumn(u"Desc");
    EXPECT_EQ(Descs(t), (std::vector<std::u16string>{u"0", u"a", u"b"}));
}

TEST(TaskTable, SortKeepsTheCurrentRowOnItsTask) {
    TaskTable t = TableOf({u"c", u"a", u"b"});
    t.selectTask(0);
    t.setTaskSelected(2, true);
    t.sortByColumn(u"Desc");
    EXPECT_EQ(t.currentTask(), 2);
    EXPECT_EQ(t.cellText(u"Desc", t.currentTask()), u"c");
    EXPECT_FALSE(t.isTaskSelected(1)) << "the current row becomes the only selected row";
    EXPECT_EQ(t.cellText(u"NxNumberColumn1", 2), u"3");
}

} // namespace
} // namespace keyvane

// The grid's filter: which rows a search text shows, letter case aside in
// any script, and the map between shown rows and table rows.
#include "app/TaskFilter.h"

#include "TaskRows.h"

#include <gtest/gtest.h>

namespace keyvane {
namespace {

TEST(TaskFilter, ShowsRowsWhoseDescriptionHotKeyDestinationOrProgramsContainTheText) {
    TaskTable table;
    test::FillTable(table, {
                               {u"Run Notepad", u"Ctrl+Alt+N", u""},
                               {u"Run selected program...", u"Win+F5", u"C:\\Tools\\ÄRGER.exe"},
                               {u"Open website...", u"Ctrl+Shift+W", u"http://пример.рф/ΟΔΟΣ"},
                               {u"Run Calc", u"", u"straße"},
                               // "cmd /c dir | sort" as stored
                               {u"Run selected program...", u"", u"cmd /c dir {\r\n} sort"},
                           });
    table.setCellText(Column::Programs, 3, u"!Excel.exe");
    TaskFilter filter(table);
    EXPECT_FALSE(filter.active());
    EXPECT_EQ(filter.visibleCount(), 5) << "no text shows every row";
    struct Case {
        std::u16string text;
        std::vector<int> rows;
    };
    const Case cases[] = {
        {u"notepad", {0}},        {u"RUN", {0, 1, 3, 4}}, {u"ctrl+", {0, 2}}, // the hotkey column
        {u"win+f5", {1}},         {u"tools\\ä", {1}}, // the destination, Latin-1 letters
        {u"ärger", {1}},          {u"ПРИМЕР", {2}},   // Cyrillic
        {u"οδος", {2}},                               // Greek, the final sigma too
        {u"οδοσ", {2}},           {u"STRASSE", {}},   // no expansions: one unit for one unit
        {u"STRAẞE", {3}},                             // the capital sharp s
        {u"excel", {3}},                              // the programs it is for
        {u"dir | sort", {4}},                         // the destination as written
        {u"nothing like it", {}}, {u"", {0, 1, 2, 3, 4}},
    };
    for (const Case& c : cases) {
        filter.SetText(c.text);
        std::vector<int> shown;
        for (int v = 0; v < filter.visibleCount(); ++v)
            shown.push_back(filter.TableRow(v));
        EXPECT_EQ(shown, c.rows) << "text of " << c.text.size() << " units, rows " << c.rows.size();
        for (int row = 0; row < table.taskCount(); ++row) {
            const int v = filter.VisibleRow(row);
            EXPECT_EQ(v >= 0 ? filter.TableRow(v) : -1,
                      std::count(c.rows.begin(), c.rows.end(), row) ? row : -1);
        }
    }
}

TEST(TaskFilter, FollowsTheTableAndNeverPointsPastIt) {
    TaskTable table;
    test::FillTable(table, {{u"Run Calc"}, {u"Run Notepad"}, {u"Run Calc"}});
    TaskFilter filter(table);
    filter.SetText(u"calc");
    ASSERT_EQ(filter.visibleCount(), 2);
    table.removeTask(2);
    EXPECT_EQ(filter.TableRow(1), -1) << "a stale map must not name a row that is gone";
    EXPECT_EQ(filter.VisibleRow(5), -1);
    filter.Rebuild();
    EXPECT_EQ(filter.visibleCount(), 1);
    test::AppendRow(table, {u"Run Calc again"});
    filter.Rebuild();
    EXPECT_EQ(filter.TableRow(1), 2);
    EXPECT_EQ(filter.TableRow(2), -1);
    EXPECT_EQ(filter.TableRow(-1), -1);
}

} // namespace
} // namespace keyvane

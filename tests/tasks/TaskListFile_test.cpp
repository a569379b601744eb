#include "tasks/TaskListFile.h"

#include "tasks/TaskTable.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace keyvane {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Utf16Le(std::u16string_view text, bool bom = true) {
    Bytes out;
    if (bom) out = {0xFF, 0xFE};
    for (char16_t c : text) {
        out.push_back(static_cast<std::uint8_t>(c & 0xFF));
        out.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    return out;
}

Bytes SingleByte(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

TaskTable Decoded(const Bytes& bytes) {
    TaskTable t;
    t.setRecords(DecodeTaskList(bytes));
    return t;
}

// The store's way: rows filled as the reader goes, with no record list.
TaskTable DecodedInPlace(const Bytes& bytes) {
    TaskTable t;
    t.setRecordsFromFile(bytes);
    return t;
}

Bytes Encoded(const TaskTable& t) {
    return EncodeTaskList(t.records());
}

std::u16string Repeated(std::u16string_view part, int times) {
    std::u16string out;
    for (int i = 0; i < times; ++i)
        out += part;
    return out;
}

// The seven cells of a row as text, joined by '/' for readable failures.
std::u16string RowText(const TaskTable& t, int row) {
    std::u16string out;
    for (int c = 0; c < kShownColumnCount; ++c) {
        if (c) out += u'/';
        out += t.cellText(static_cast<Column>(c), row);
    }
    return out;
}

TEST(TaskListFile, EmptyTableIsTheByteOrderMarkAlone) {
    TaskTable t;
    EXPECT_EQ(Encoded(t), (Bytes{0xFF, 0xFE}));
    EXPECT_EQ(Decoded({0xFF, 0xFE}).taskCount(), 0);
}

TEST(TaskListFile, RecordIsSevenFieldsAndCrLf) {
    TaskTable t;
    t.appendTasks(1);
    t.setCellText(u"Desc", 0, u"Run Notepad");
    t.setCellText(u"Hotkey", 0, u"Ctrl+Alt+N");
    t.setCellText(u"Type_run", 0, u"Normal");
    EXPECT_EQ(Encoded(t), Utf16Le(u"1,Run Notepad,Ctrl+Alt+N,,Normal,0,True\r\n"));
}

TEST(TaskListFile, LaterFieldsOnlyWhenSetAndKeptAsRead) {
    // Older versions read seven fields: a task without the later ones is
    // written as they wrote it, and one this version cannot read comes back
    // unchanged.
    const Bytes file = Utf16Le(u"1,A,,,,0,True\r\n"
                               u"2,B,,,,0,True,notepad.exe;!code.exe\r\n"
                               u"3,C,,,,0,True,,Front\r\n"
                               u"4,D,,,,0,True,!game.exe,Sometimes\r\n");
    const TaskTable t = Decoded(file);
    ASSERT_EQ(t.taskCount(), 4);
    EXPECT_EQ(t.cellText(Column::Programs, 1), u"notepad.exe;!code.exe");
    EXPECT_EQ(t.cellText(u"if_running", 2), u"Front");
    EXPECT_EQ(Encoded(t), file);

    const TaskTable ten = Decoded(Utf16Le(u"1,A,k,d,t,5,True,p.exe,Toggle,extra\r\n"));
    EXPECT_EQ(RowText(ten, 0), u"1/A/k/d/t/5/True");
    EXPECT_EQ(ten.cellText(Column::Programs, 0), u"p.exe");
    EXPECT_EQ(ten.cellText(Column::If_running, 0), u"Toggle");
    EXPECT_EQ(Encoded(ten), Utf16Le(u"1,A,k,d,t,5,True,p.exe,Toggle\r\n"));
}

TEST(TaskListFile, FieldEncoding) {
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"Run Notepad", u"Run Notepad"},
        {u"a,b", u"\"a,b\""},
        {u"say \"hi\"", u"\"say \"\"hi\"\"\""},
        {u"\"", u"\"\"\"\""},
        {u"x\r\ny", u"x|y"},
        {u"a|b", u"a|b"},
        {u"  padded  ", u"  padded  "},
        {u"", u""},
        {u"lone\nLF", u"loneLF"},
    };
    for (const auto& [cell, field] : cases) {
        TaskTable t;
        t.appendTasks(1);
        t.setCellText(u"Dest", 0, cell);
        EXPECT_EQ(Encoded(t), Utf16Le(u"1,,," + field + u",,0,True\r\n"))
            << std::string(cell.begin(), cell.end());
    }
}

TEST(TaskListFile, SaveAndLoadReproduceEveryValue) {
    const std::vector<std::vector<std::u16string>> rows = {
        {u"Run selected program...", u"Ctrl+Alt+N", u"C:\\Program Files\\App\\app.exe -min",
         u"Minimze", u"3", u"True"},
        {u"Open Website...", u"Shift+F1", u"http://x.example/?a=1,b=\"2\"", u"Normal", u"-1",
         u"False"},
        {u"Run Calc", u"", u"", u"", u"0", u"True"},
        {u"\"\"", u",", u"\u00e9\u4e2d\U0001F600 line\r\nbreak", u"Hide", u"12", u"True"},
        // Longer than the reader's field buffer, marks on both sides of its
        // 64-character blocks.
        {std::u16string(200, u'x'), u"", Repeated(u"ab,\"c\r\n", 60), u"", u"0", u"False"},
        {Repeated(u"\",", 150), u"k", Repeated(u"1234567", 40), u"Hide", u"7", u"True"},
    };
    TaskTable t;
    for (const auto& cells : rows) {
        const int r = t.appendTasks(1);
        for (int c = 0; c < 6; ++c)
            t.setCellText(static_cast<Column>(c + 1), r, cells[c]);
    }
    const Bytes file = Encoded(t);
    for (const TaskTable& back : {Decoded(file), DecodedInPlace(file)}) {
        ASSERT_EQ(back.taskCount(), t.taskCount());
        for (int r = 0; r < t.taskCount(); ++r)
            EXPECT_EQ(RowText(back, r), RowText(t, r)) << "row " << r;
    }
}

TEST(TaskListFile, ReaderRules) {
    struct Case {
        const char* name;
        Bytes file;
        std::vector<std::u16string> rows;
    };
    const Case cases[] = {
        {"single-byte",
         SingleByte("1,Run Calc,,,Normal,0,True\r\n"),
         {u"1/Run Calc///Normal/0/True"}},
        {"LF line ends, no final break",
         SingleByte("1,A,,,,0,1\n2,B,,,,0,0"),
         {u"1/A////0/True", u"2/B////0/False"}},
        {"last line one field", SingleByte("1,A\nlonely"), {u"1/A////0/True", u"2/////0/True"}},
        {"eight fields", Utf16Le(u"1,A,k,d,t,5,True,extra\r\n"), {u"1/A/k/d/t/5/True"}},
        {"short record", Utf16Le(u"1,Open CD-Rom\r\n"), {u"1/Open CD-Rom////0/True"}},
        {"empty line", Utf16Le(u"\r\n"), {u"1/////0/True"}},
        {"numbers ignored", Utf16Le(u"9,A\r\n3,B\r\n"), {u"1/A////0/True", u"2/B////0/True"}},
        {"enabled forms",
         Utf16Le(u"1,,,,,,TRUE\n1,,,,,,0\n1,,,,,,no\n1,,,,,,\n"),
         {u"1/////0/True", u"2/////0/False", u"3/////0/False", u"4/////0/False"}},
        {"pipe is a line break", Utf16Le(u"1,a|b\r\n"), {u"1/a\r\nb////0/True"}},
        {"pipe inside quotes too", Utf16Le(u"1,\"a|b,c\"\r\n"), {u"1/a\r\nb,c////0/True"}},
        {"doubled quotes", Utf16Le(u"1,\"\"\"hi\"\" x\"\r\n"), {u"1/\"hi\" x////0/True"}},
        {"stray quote takes the commas", SingleByte("1,a\"b,c,d\n"), {u"1/a\"b,c,d////0/True"}},
        {"big-endian",
         Bytes{0xFE, 0xFF, 0, '1', 0, ',', 0x4E, 0x2D, 0, '\n'},
         {u"1/\u4e2d////0/True"}},
        {"odd last byte dropped",
         Bytes{0xFF, 0xFE, '1', 0, ',', 0, 'A', 0, 'B'},
         {u"1/A////0/True"}},
        {"one byte only", Bytes{'x'}, {u"1/////0/True"}},
        {"high bytes are Latin-1", Bytes{'1', ',', 0xE9, '\n'}, {u"1/\u00e9////0/True"}},
        // UTF-8 as an editor saves it: by its mark, or by being well-formed
        // beyond ASCII; bytes that are not UTF-8 stay single-byte text.
        {"UTF-8 with its mark",
         SingleByte("\xEF\xBB\xBF"
                    "1,Caf\xC3\xA9,,C:\\\xD0\x9F.exe\r\n"),
         {u"1/Caf\u00e9//C:\\\u041f.exe//0/True"}},
        {"UTF-8 without a mark", SingleByte("1,\xF0\x9F\x91\x8B\n"), {u"1/\U0001F44B////0/True"}},
        {"marked UTF-8 keeps a bad byte as U+FFFD",
         SingleByte("\xEF\xBB\xBF"
                    "1,a\xFF\n"),
         {u"1/a\uFFFD////0/True"}},
        {"Latin-1 that is no UTF-8",
         SingleByte("1,\xC3\xA9\xE9\n"),
         {u"1/\u00c3\u00a9\u00e9////0/True"}},
        {"overlong form is no UTF-8", SingleByte("1,\xC0\xAF\n"), {u"1/\u00c0\u00af////0/True"}},
        {"nothing", Bytes{}, {}},
        {"short record after a full one",
         Utf16Le(u"1,A,k,d,t,5,False\r\n2,B\r\n"),
         {u"1/A/k/d/t/5/False", u"2/B////0/True"}},
    };
    for (const auto& c : cases) {
        for (const TaskTable& t : {Decoded(c.file), DecodedInPlace(c.file)}) {
            std::vector<std::u16string> got;
            for (int r = 0; r < t.taskCount(); ++r)
                got.push_back(RowText(t, r));
            EXPECT_EQ(got, c.rows) << c.name;
        }
    }
}

TEST(TaskListFile, OneTaskPastTheLimitRefusesTheWholeFile) {
    // Only the unended last line is one too many: the line feed count lets
    // it through, and the rows are already being filled when it is found.
    Bytes file(kMaxTasks, '\n');
    file.push_back('x');
    EXPECT_THROW(DecodeTaskList(file), IoError);
    TaskTable t;
    t.appendTasks(2);
    EXPECT_THROW(t.setRecordsFromFile(file), IoError);
    EXPECT_EQ(t.taskCount(), 2) << "no partial table";
    file.pop_back();
    EXPECT_EQ(DecodedInPlace(file).taskCount(), kMaxTasks);
}

TEST(TaskListFile, DamagedImageKeepsZeroAndTheRestLoads) {
    // Stopping at the bad field would leave the later tasks out of the table,
    // and the next save would drop them from the file for good.
    const TaskTable t = Decoded(Utf16Le(u"1,A,k,d,t,7x,True\r\n2,B,,,,2,False\r\n"));
    ASSERT_EQ(t.taskCount(), 2);
    EXPECT_EQ(RowText(t, 0), u"1/A/k/d/t/0/True");
    EXPECT_EQ(RowText(t, 1), u"2/B////2/False");
}

} // namespace
} // namespace keyvane

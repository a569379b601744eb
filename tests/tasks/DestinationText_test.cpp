#include "tasks/DestinationText.h"

#include "tasks/TaskListFile.h"
#include "tasks/TaskTable.h"

#include <gtest/gtest.h>

#include <string>

namespace keyvane {
namespace {

std::string Shown(std::u16string_view text) {
    std::string out;
    for (char16_t c : text)
        out += c == u'\r'   ? std::string("\\r")
               : c == u'\n' ? std::string("\\n")
               : c < 0x80   ? std::string(1, static_cast<char>(c))
                            : std::string("?");
    return out;
}

// The Dest cell a task list file gives back after a save and a load.
std::u16string CellAfterRestart(std::u16string_view cell) {
    TaskTable written;
    const int row = written.appendTasks(1);
    written.setCellText(Column::Desc, row, u"Type text...");
    written.setCellText(Column::Dest, row, cell);
    TaskTable read;
    read.setRecords(DecodeTaskList(EncodeTaskList(written.records())));
    return read.cellText(Column::Dest, 0);
}

TEST(DestinationText, EveryTextComesBackAfterSaveAndLoad) {
    const std::u16string_view texts[] = {
        u"css?family=Roboto|Open+Sans",
        u"cmd /c dir | sort",
        u"|",
        u"||",
        u"{|}",
        u"{||}",
        u"{",
        u"}",
        u"{}",
        u"{{|}}",
        u"a{\r\nb}",
        u"{\r\n}",
        u"{\r\n\r\n}",
        u"x{",
        u"|{",
        u"{\r\n",
        u"line one\r\nline two\r\n",
        u"\r\n\r\n",
        u"Gr\u00FC\u00DFe \u4E16\u754C \U0001F44B\r\n\tsecond, \"quoted\"",
    };
    for (std::u16string_view text : texts) {
        const std::u16string cell = CellFromDestination(text);
        EXPECT_EQ(cell.find(u'|'), std::u16string::npos) << Shown(text);
        EXPECT_EQ(DestinationFromCell(CellAfterRestart(cell)), text) << Shown(text);
    }
}

TEST(DestinationText, OlderFilesMeanWhatTheyMeant) {
    // The cell as an older version's file loads it (its '|' a line break).
    const struct {
        std::u16string_view cell, text;
    } cases[] = {
        {u"c:\\tools\\{app}\\run.exe -x", u"c:\\tools\\{app}\\run.exe -x"},
        {u"http://example.org/?q={a}&b=%7C", u"http://example.org/?q={a}&b=%7C"},
        {u"a\r\nb", u"a\r\nb"},
        {u"{\r\nx}", u"{\r\nx}"},
        {u"{ }", u"{ }"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DestinationFromCell(c.cell), c.text) << Shown(c.cell);
        // Saved again unchanged, a one-line one is written as it was.
        if (FirstLine(c.cell) == c.cell) {
            EXPECT_EQ(CellFromDestination(DestinationFromCell(c.cell)), c.cell) << Shown(c.cell);
        }
    }
    // A lone CR or LF is kept as the line break the file can hold.
    EXPECT_EQ(DestinationFromCell(CellAfterRestart(CellFromDestination(u"a\nb\rc"))),
              u"a\r\nb\r\nc");
    EXPECT_EQ(FirstLine(u"first\r\nsecond"), u"first");
}

} // namespace
} // namespace keyvane

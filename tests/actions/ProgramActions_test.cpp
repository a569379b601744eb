// Matching running processes by program name and ending every match.
#include "actions/ProgramActions.h"
#include "base/Text.h"

#include <gtest/gtest.h>

namespace keyvane {
namespace {

TEST(FileNamePart, AfterTheLastBackslashOrColon) {
    EXPECT_EQ(FileNamePart(u"c:\\tools\\app.exe"), u"app.exe");
    EXPECT_EQ(FileNamePart(u"c:app.exe"), u"app.exe");
    EXPECT_EQ(FileNamePart(u"app.exe"), u"app.exe");
    EXPECT_EQ(FileNamePart(u"c:\\tools\\"), u"");
    EXPECT_EQ(FileNamePart(u""), u"");
}

TEST(ProcessNameMatches, FileNamePartOrWholeTextIgnoringAsciiCase) {
    struct Case {
        std::u16string_view exeFile, name;
        bool matches;
    } cases[] = {
        {u"notepad.exe", u"notepad.exe", true},
        {u"NOTEPAD.EXE", u"Notepad.exe", true},
        {u"C:\\Windows\\notepad.exe", u"notepad.exe", true},
        {u"C:\\Windows\\notepad.exe", u"c:\\windows\\NOTEPAD.exe", true},
        {u"notepad.exe", u"notepad.exe ", false}, // a kept blank matches nothing
        {u"notepad2.exe", u"notepad.exe", false},
        {u"ärger.exe", u"Ärger.exe", false}, // only ASCII letters fold
        {u"ärger.exe", u"ärger.exe", true},
        {u"", u"", false}, // no name closes nothing
        {u"C:\\dir\\", u"", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ProcessNameMatches(c.exeFile, c.name), c.matches)
            << ToUtf8(c.exeFile) << " / " << ToUtf8(c.name);
    }
}

class FakeProcesses final : public ProcessControl {
  public:
    std::vector<ProcessEntry> running;
    std::vector<std::uint32_t> terminated;
    std::vector<ProcessEntry> RunningProcesses() override { return running; }
    void Terminate(std::uint32_t id) override { terminated.push_back(id); }
};

TEST(CloseMatchingProcesses, EndsEveryRunningCopy) {
    FakeProcesses processes;
    processes.running = {
        {4, u"System"},    {10, u"notepad.exe"}, {11, u"C:\\Other\\NOTEPAD.EXE"},
        {12, u"calc.exe"}, {13, u"Notepad.exe"}, {14, u""},
    };
    EXPECT_EQ(CloseMatchingProcesses(processes, u"notepad.exe"), 3);
    EXPECT_EQ(processes.terminated, (std::vector<std::uint32_t>{10, 11, 13}));

    processes.terminated.clear();
    EXPECT_EQ(CloseMatchingProcesses(processes, u""), 0);
    EXPECT_EQ(CloseMatchingProcesses(processes, u"notepad.exe "), 0);
    EXPECT_TRUE(processes.terminated.empty());
}

} // namespace
} // namespace keyvane

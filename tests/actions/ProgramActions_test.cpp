// Matching running processes by program name and ending every match, what
// the user is told of those that stay, and where a chosen program starts.
#include "actions/Dispatch.h"
#include "actions/ProgramActions.h"
#include "base/Errors.h"
#include "base/Text.h"

#include <map>

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
    std::map<std::uint32_t, std::uint32_t> refusals; // id -> error code
    std::vector<std::uint32_t> terminated;
    std::vector<ProcessEntry> RunningProcesses() override { return running; }
    std::optional<std::uint32_t> Terminate(std::uint32_t id) override {
        terminated.push_back(id);
        if (auto refused = refusals.find(id); refused != refusals.end()) return refused->second;
        return std::nullopt;
    }
};

TEST(CloseMatchingProcesses, EndsEveryRunningCopy) {
    FakeProcesses processes;
    processes.running = {
        {4, u"System"},    {10, u"notepad.exe"}, {11, u"C:\\Other\\NOTEPAD.EXE"},
        {12, u"calc.exe"}, {13, u"Notepad.exe"}, {14, u""},
    };
    EXPECT_EQ(CloseMatchingProcesses(processes, u"notepad.exe").tried, 3);
    EXPECT_EQ(processes.terminated, (std::vector<std::uint32_t>{10, 11, 13}));

    processes.terminated.clear();
    EXPECT_EQ(CloseMatchingProcesses(processes, u"").tried, 0);
    EXPECT_EQ(CloseMatchingProcesses(processes, u"notepad.exe ").tried, 0);
    EXPECT_TRUE(processes.terminated.empty());
}

TEST(CloseMatchingProcesses, ARefusedCopyDoesNotStopTheOthersAndIsTold) {
    FakeProcesses processes;
    processes.running = {{10, u"tool.exe"}, {11, u"tool.exe"}, {12, u"tool.exe"}};
    processes.refusals = {{10, 5}};
    const CloseResult result = CloseMatchingProcesses(processes, u"tool.exe");
    EXPECT_EQ(processes.terminated, (std::vector<std::uint32_t>{10, 11, 12}));
    ASSERT_EQ(result.failures.size(), 1u);
    EXPECT_EQ(result.failures[0].id, 10u);
    EXPECT_EQ(CloseFailureMessage(u"tool.exe", result),
              FromUtf8("Could not close 1 of 3 running copies of tool.exe: " + SystemErrorText(5)));
}

TEST(CloseFailureMessage, NamesTheProgramAndEachDistinctReason) {
    const std::string denied = SystemErrorText(5), other = SystemErrorText(6);
    struct Case {
        int tried;
        std::vector<std::uint32_t> errors;
        std::string message;
    } cases[] = {
        {1, {}, ""},
        {2, {}, ""},
        {1, {5}, "Could not close app.exe: " + denied},
        {2, {5, 5}, "Could not close 2 running copies of app.exe: " + denied},
        {3, {5, 6, 5}, "Could not close 3 running copies of app.exe: " + denied + " " + other},
    };
    for (const Case& c : cases) {
        CloseResult result{c.tried, {}};
        for (std::uint32_t error : c.errors)
            result.failures.push_back({99, error});
        EXPECT_EQ(ToUtf8(CloseFailureMessage(u"app.exe", result)), c.message) << c.message;
    }
}

TEST(ProgramStartFolder, AFullProgramPathStartsInItsFolderAnythingElseInTheShellsDefault) {
    struct Case {
        std::u16string_view destination, folder;
    } cases[] = {
        {u"C:\\Tools\\App.EXE", u"C:\\Tools"},
        {u"C:\\Tools\\app.exe /a b", u"C:\\Tools"},
        {u"\"C:\\My Tools\\app.exe\" -x", u"C:\\My Tools"},
        {u"d:\\run.bat", u"d:\\"}, // a drive's root keeps its backslash
        {u"C:/tools/old.com", u"C:/tools"},
        {u"\\\\server\\share\\app.exe", u"\\\\server\\share"},
        {u"notepad.exe", u""},          // found by the system's search
        {u"tools\\app.exe", u""},       // relative
        {u"c:app.exe", u""},            // relative to the drive's current folder
        {u"\\\\app.exe", u""},          // no server
        {u"C:\\Docs\\letter.txt", u""}, // a document: the shell's way
        {u"http://example.org/setup.exe", u""},
        {u"", u""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ProgramStartFolder(SplitDestination(c.destination).program), c.folder)
            << ToUtf8(c.destination);
    }
}

} // namespace
} // namespace keyvane

namespace keyvane {
namespace {

TEST(BringUp, ACopyIsTheTasksProgramFile) {
    EXPECT_TRUE(IsCopyOfProgram(u"C:\\Windows\\notepad.exe", u"NOTEPAD.EXE"));
    EXPECT_TRUE(IsCopyOfProgram(u"C:\\Tools\\App.exe", u"\"c:/tools/app.exe\""));
    EXPECT_FALSE(IsCopyOfProgram(u"D:\\Other\\app.exe", u"C:\\Tools\\app.exe"))
        << "a full path is that file, not any of its name";
    EXPECT_TRUE(IsCopyOfProgram(u"D:\\Other\\app.exe", u"tools\\app.exe"));
    EXPECT_FALSE(IsCopyOfProgram(u"", u"app.exe")) << "a process that tells nothing";
    EXPECT_FALSE(IsCopyOfProgram(u"C:\\app.exe", u"  "));
}

} // namespace
} // namespace keyvane

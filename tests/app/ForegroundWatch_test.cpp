// What counts as full screen, and which program the window in front is
// said to belong to, from facts a fake system gives.
#include "app/ForegroundWatch.h"

#include "base/Text.h"
#include "tasks/ProgramScope.h"

#include <gtest/gtest.h>

#include <map>

namespace keyvane {
namespace {

TEST(ForegroundWatch, FullScreenIsTheWholeMonitorWithoutAnOrdinaryFrame) {
    const ScreenRect monitor{0, 0, 1920, 1080};
    const ScreenRect whole{0, 0, 1920, 1080};
    const ScreenRect workArea{0, 0, 1920, 1040}; // a taskbar below
    const ScreenRect windowed{100, 100, 900, 700};
    struct Case {
        const char* name;
        WindowShape window;
        ShellState shell;
        bool full;
    };
    const Case cases[] = {
        {"a borderless film",
         {false, false, whole, monitor, false, false},
         ShellState::Other,
         true},
        {"a maximized window, taskbar shown",
         {false, false, workArea, monitor, true, true},
         ShellState::Other,
         false},
        // A monitor without a taskbar: maximized fills it, and is ordinary.
        {"a maximized window, no taskbar",
         {false, false, whole, monitor, true, true},
         ShellState::Other,
         false},
        {"resize borders past the edges",
         {false, false, {-8, -8, 1928, 1088}, monitor, true, true},
         ShellState::Other,
         false},
        {"a captionless maximized game",
         {false, false, whole, monitor, false, true},
         ShellState::Other,
         true},
        {"on the second monitor",
         {false, false, {1920, 0, 3840, 1080}, {1920, 0, 3840, 1080}, false, false},
         ShellState::Other,
         true},
        {"the desktop", {true, false, whole, monitor, false, false}, ShellState::Busy, false},
        {"minimized",
         {false, true, whole, monitor, false, false},
         ShellState::Direct3DExclusive,
         false},
        // The display's mode changed under an exclusive game: only the shell knows.
        {"exclusive Direct3D",
         {false, false, {0, 0, 800, 600}, monitor, false, false},
         ShellState::Direct3DExclusive,
         true},
        {"presentation settings",
         {false, false, windowed, monitor, true, false},
         ShellState::Presentation,
         true},
        {"busy, captionless",
         {false, false, windowed, monitor, false, false},
         ShellState::Busy,
         true},
        {"busy, an ordinary window",
         {false, false, windowed, monitor, true, false},
         ShellState::Busy,
         false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsFullScreen(c.window, c.shell), c.full) << c.name;
}

// Processes by id: the path the process gives (empty: it refuses), and the
// name the process list has.
class FakeProcesses final : public WindowProcessFacts {
  public:
    std::uint32_t inFront = 0, hosted = 0;
    std::map<std::uint32_t, std::pair<std::u16string, std::u16string>> processes;
    int hostedAsked = 0;

    std::uint32_t ProcessId() override { return inFront; }
    std::uint32_t HostedProcessId() override {
        ++hostedAsked;
        return hosted;
    }
    std::u16string ImagePath(std::uint32_t id) override { return processes[id].first; }
    std::u16string ListedFileName(std::uint32_t id) override { return processes[id].second; }
};

TEST(ForegroundWatch, ProgramInFrontIsTheHostedAppOrTheListedNameOrUnnamed) {
    FakeProcesses facts;
    facts.processes = {
        {10, {u"C:\\Windows\\System32\\ApplicationFrameHost.exe", u"ApplicationFrameHost.exe"}},
        {20, {u"C:\\Program Files\\WindowsApps\\Calc\\CalculatorApp.exe", u"CalculatorApp.exe"}},
        {30, {u"", u"Game.exe"}},
        {40, {u"", u""}},
        {50, {u"D:\\Tools\\notepad.exe", u"notepad.exe"}},
    };
    struct Case {
        std::uint32_t inFront, hosted;
        std::u16string name;
    };
    const Case cases[] = {
        {0, 0, u""},
        {50, 0, u"notepad.exe"},
        {10, 20, u"CalculatorApp.exe"},
        // A suspended app's frame shows no core window: the host it is.
        {10, 0, u"ApplicationFrameHost.exe"},
        {30, 0, u"Game.exe"}, // refuses even the least access
        {40, 0, std::u16string(kUnnamedProgram)},
        {10, 40, std::u16string(kUnnamedProgram)},
    };
    for (const Case& c : cases) {
        facts.inFront = c.inFront;
        facts.hosted = c.hosted;
        EXPECT_EQ(ProgramInFrontName(facts), c.name) << c.inFront << " hosting " << c.hosted;
    }
    // Only a frame host is asked what it hosts: the search walks its children.
    facts.hostedAsked = 0;
    facts.inFront = 50;
    ProgramInFrontName(facts);
    EXPECT_EQ(facts.hostedAsked, 0);
}

} // namespace
} // namespace keyvane

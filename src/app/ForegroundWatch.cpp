// The decisions about the window in front: when to watch it, whether it is
// full screen, and which program it belongs to.
#include "app/ForegroundWatch.h"

#include "actions/ProgramActions.h"
#include "base/Text.h"
#include "tasks/ProgramScope.h"
#include "tasks/TaskTable.h"

namespace keyvane {
namespace {

bool Covers(const ScreenRect& frame, const ScreenRect& monitor) {
    return frame.left <= monitor.left && frame.top <= monitor.top && frame.right >= monitor.right &&
           frame.bottom >= monitor.bottom;
}

// Store apps' windows belong to this process; the app is another one.
constexpr std::u16string_view kFrameHost = u"ApplicationFrameHost.exe";

std::u16string NameOfProcess(WindowProcessFacts& facts, std::uint32_t processId) {
    std::u16string name(FileNamePart(facts.ImagePath(processId)));
    // A game's anti-cheat refuses even the least access; the process list
    // still names it.
    if (name.empty()) name = std::u16string(FileNamePart(facts.ListedFileName(processId)));
    return name;
}

} // namespace

ForegroundNeed ForegroundNeedOf(const TaskTable& table, bool pauseFullScreen) {
    ForegroundNeed need;
    need.fullScreen = pauseFullScreen;
    const int count = table.taskCount();
    for (int row = 0; row < count && !need.program; ++row) {
        const std::u16string_view programs = table.textCell(Column::Programs, row);
        // An unreadable field is for all programs, as is an empty one.
        need.program =
            !programs.empty() && ReadProgramScope(programs).kind != ScopeKind::AllPrograms;
    }
    return need;
}

bool IsFullScreen(const WindowShape& window, ShellState shell) {
    if (window.desktop || window.minimized) return false;
    switch (shell) {
    case ShellState::Direct3DExclusive:
    case ShellState::Presentation:
        return true;
    case ShellState::Busy:
        // The shell judges a full-screen program by its own rule (a game
        // that changed the display's resolution included); a window with a
        // caption is an ordinary one, whatever that rule thinks.
        if (!window.caption) return true;
        break;
    case ShellState::Other:
        break;
    }
    // A maximized window with a caption fills a monitor without a taskbar
    // too, and is still an ordinary window.
    if (window.maximized && window.caption) return false;
    return Covers(window.frame, window.monitor);
}

bool IsFrameHost(std::u16string_view fileName) {
    return EqualsIgnoreAsciiCase(fileName, kFrameHost);
}

std::u16string ProgramInFrontName(WindowProcessFacts& facts) {
    const std::uint32_t processId = facts.ProcessId();
    if (processId == 0) return {};
    std::u16string name = NameOfProcess(facts, processId);
    if (IsFrameHost(name)) {
        const std::uint32_t hosted = facts.HostedProcessId();
        if (hosted != 0 && hosted != processId) name = NameOfProcess(facts, hosted);
    }
    return name.empty() ? std::u16string(kUnnamedProgram) : name;
}

} // namespace keyvane

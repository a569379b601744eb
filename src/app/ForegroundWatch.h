// The window in front, as the core needs to know it: the file name of its
// program and whether it fills its screen. Windows tells of every change
// (ForegroundWatch_win32.cpp); the decisions are portable (ForegroundWatch.cpp)
// and the tests call the core directly.
#pragma once

#include "app/options/Settings.h" // ScreenRect

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace keyvane {

class TaskTable;

struct ForegroundProgram {
    // The program file's name without its folder, as the system reports it;
    // empty when no window is in front (or nothing is watched), and
    // kUnnamedProgram (ProgramScope.h) when a window is in front whose
    // program cannot be named.
    std::u16string fileName;
    // The window covers its whole monitor (a game, a presentation, a film),
    // and is not the desktop.
    bool fullScreen = false;
};

// What must be known of the window in front: its program while a task for
// some programs exists, whether it fills its screen while the full-screen
// pause is on. Neither: nothing watches it, and nothing polls.
struct ForegroundNeed {
    bool program = false;
    bool fullScreen = false;
    bool any() const { return program || fullScreen; }
    bool operator==(const ForegroundNeed&) const = default;
};
ForegroundNeed ForegroundNeedOf(const TaskTable& table, bool pauseFullScreen);

// ---- Full screen ----

// The shell's own word on the user's state (its notification state).
enum class ShellState : std::uint8_t {
    Other,             // unknown, or notifications are welcome
    Busy,              // a full-screen program runs, or presentation settings are on
    Direct3DExclusive, // a full-screen Direct3D program owns the display
    Presentation,      // the user turned on presentation settings
};
struct WindowShape {
    bool desktop = false; // the shell's desktop window, which always fills its screen
    bool minimized = false;
    // The window's visible bounds: without the invisible resize borders
    // where the system can say so.
    ScreenRect frame;
    ScreenRect monitor; // the whole monitor the window is on, taskbar included
    bool caption = false;
    bool maximized = false;
};
bool IsFullScreen(const WindowShape& window, ShellState shell);

// ---- The program's name ----

// What the system tells of the window in front's process; Windows asks it,
// the tests fake it.
class WindowProcessFacts {
  public:
    virtual ~WindowProcessFacts() = default;
    // 0: no window in front.
    virtual std::uint32_t ProcessId() = 0;
    // The process of the app a frame host window shows (its core window
    // child belongs to the app); 0 when it shows none now.
    virtual std::uint32_t HostedProcessId() = 0;
    // The program file's full path; empty when the process refuses to say.
    virtual std::u16string ImagePath(std::uint32_t processId) = 0;
    // The file name the system's process list gives; empty when gone.
    virtual std::u16string ListedFileName(std::uint32_t processId) = 0;
};
// The file name ForegroundProgram holds for the window in front.
std::u16string ProgramInFrontName(WindowProcessFacts& facts);
// The process that owns store apps' frames: a name that stands for no app.
bool IsFrameHost(std::u16string_view fileName);

// ---- The watch ----

class ForegroundWatch {
  public:
    virtual ~ForegroundWatch() = default;
    // The window in front now; the reports after it are its changes.
    virtual ForegroundProgram Current() = 0;
};

// Windows only: tells onChange of every change of the window in front that
// need asks about, on the thread that makes it, from its message loop, until
// destroyed. One at a time.
std::unique_ptr<ForegroundWatch>
MakeSystemForegroundWatch(ForegroundNeed need,
                          std::function<void(const ForegroundProgram&)> onChange);

} // namespace keyvane

// Minimize all windows, or restore them, on alternate presses. One flag for
// the whole program, shared by every task with this action. The shell does the
// work where it can; where it cannot, the windows are minimized directly and
// exactly those are restored on the next press. MinimizeAll_win32.cpp holds
// the shell object and the window calls.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace keyvane {

using WindowId = std::uintptr_t;

// One answer of the shell: its result code (an HRESULT) and the call that
// gave it, for the error report.
struct ShellResult {
    std::uint32_t code = 0;
    const char* call = "";
};

// The shell's own minimize-all and its undo. Each connects to the shell
// first when need be; a failed connection answers with its own code.
class DesktopShell {
  public:
    virtual ~DesktopShell() = default;
    virtual ShellResult MinimizeAll() = 0;
    virtual ShellResult UndoMinimizeAll() = 0;
};

enum class ShellVerdict {
    Done,
    // The shell has no such service (its class is missing or lacks the
    // interface) or does not implement it: the windows are done by hand.
    Unavailable,
    // Anything else: the press fails and the error is reported.
    Failed,
};

ShellVerdict JudgeShellResult(std::uint32_t code);

// The report's text for a failed answer: the call, the system's text for the
// code and the code in hex.
std::string ShellFailureText(const ShellResult& result);

struct DesktopWindow {
    WindowId id = 0;
    bool visible = false;
    bool minimized = false;
    bool onTaskbar = false;
};

// Whether a top-level window has a taskbar button, from its extended styles
// and whether it has an owner.
bool HasTaskbarEntry(bool toolWindow, bool appWindow, bool owned);

// The top-level windows, for doing the shell's work by hand.
class DesktopWindows {
  public:
    virtual ~DesktopWindows() = default;

    // Top-level windows, topmost first.
    virtual std::vector<DesktopWindow> TopLevelWindows() = 0;
    virtual void Minimize(WindowId window) = 0;
    // False as well for a window that no longer exists.
    virtual bool IsMinimized(WindowId window) = 0;
    virtual void Restore(WindowId window) = 0;
};

class MinimizeAllToggle {
  public:
    MinimizeAllToggle(std::unique_ptr<DesktopShell> shell, std::unique_ptr<DesktopWindows> windows);

    // Minimizes when AllMinimized is false, restores otherwise, then flips it.
    // A failed answer of the shell throws (ShellFailureText) and leaves the
    // flag as it was.
    void Toggle();

    bool AllMinimized() const { return allMinimized_; }

  private:
    std::vector<WindowId> MinimizeDirectly();
    void RestoreDirectly(const std::vector<WindowId>& windows);

    std::unique_ptr<DesktopShell> shell_;
    std::unique_ptr<DesktopWindows> windows_;
    bool allMinimized_ = false;
    // Set when the last minimize was done here rather than by the shell: the
    // windows it minimized, topmost first.
    std::optional<std::vector<WindowId>> minimizedHere_;
};

// The real desktop's top-level windows. Defined by the Windows build only.
std::unique_ptr<DesktopWindows> MakeSystemDesktopWindows();

// The program's toggle on the real desktop. The shell object connects on first
// use and is released when the toggle is destroyed, which must happen before
// the component-object services are shut down. Defined by the Windows build
// only.
std::unique_ptr<MinimizeAllToggle> MakeSystemMinimizeAll();

} // namespace keyvane

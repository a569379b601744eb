// The minimize-all toggle and its direct fallback; see MinimizeAll.h.
#include "actions/MinimizeAll.h"

#include "base/Errors.h"

#include <cstdio>
#include <stdexcept>
#include <utility>

namespace keyvane {
namespace {

// The result codes that mean the shell cannot do it, by value (winerror.h);
// the Windows half checks them against the system's headers.
constexpr std::uint32_t kNotImplemented = 0x80004001;     // E_NOTIMPL
constexpr std::uint32_t kNoInterface = 0x80004002;        // E_NOINTERFACE
constexpr std::uint32_t kClassNotAvailable = 0x80040111;  // CLASS_E_CLASSNOTAVAILABLE
constexpr std::uint32_t kClassNotRegistered = 0x80040154; // REGDB_E_CLASSNOTREG

// Done or Unavailable; throws for a failure.
ShellVerdict Checked(const ShellResult& result) {
    const ShellVerdict verdict = JudgeShellResult(result.code);
    if (verdict == ShellVerdict::Failed) throw std::runtime_error(ShellFailureText(result));
    return verdict;
}

} // namespace

ShellVerdict JudgeShellResult(std::uint32_t code) {
    if ((code & 0x80000000u) == 0) return ShellVerdict::Done; // success codes, S_FALSE too
    switch (code) {
    case kNotImplemented: // Wine's shell
    case kNoInterface:
    case kClassNotAvailable:
    case kClassNotRegistered:
        return ShellVerdict::Unavailable;
    default:
        return ShellVerdict::Failed;
    }
}

std::string ShellFailureText(const ShellResult& result) {
    const std::string text = SystemErrorText(result.code);
    char code[16];
    std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(result.code));
    std::string message = std::string(result.call) + " failed";
    if (text != NoSystemText(result.code)) message += ": " + text;
    return message + " (" + code + ").";
}

bool HasTaskbarEntry(bool toolWindow, bool appWindow, bool owned) {
    if (appWindow) return true;
    if (toolWindow) return false;
    return !owned;
}

MinimizeAllToggle::MinimizeAllToggle(std::unique_ptr<DesktopShell> shell,
                                     std::unique_ptr<DesktopWindows> windows)
    : shell_(std::move(shell)), windows_(std::move(windows)) {}

void MinimizeAllToggle::Toggle() {
    if (!allMinimized_) {
        if (Checked(shell_->MinimizeAll()) == ShellVerdict::Done)
            minimizedHere_.reset();
        else
            minimizedHere_ = MinimizeDirectly();
    } else if (minimizedHere_) {
        RestoreDirectly(*minimizedHere_);
        minimizedHere_.reset();
    } else {
        // The shell minimized; if it cannot undo, nothing is known to restore.
        Checked(shell_->UndoMinimizeAll());
    }
    allMinimized_ = !allMinimized_;
}

std::vector<WindowId> MinimizeAllToggle::MinimizeDirectly() {
    std::vector<WindowId> minimized;
    for (const DesktopWindow& w : windows_->TopLevelWindows()) {
        if (!w.visible || w.minimized || !w.onTaskbar) continue;
        windows_->Minimize(w.id);
        minimized.push_back(w.id);
    }
    return minimized;
}

void MinimizeAllToggle::RestoreDirectly(const std::vector<WindowId>& windows) {
    // Bottom first, so the window that was on top ends on top again. A window
    // closed or restored by hand in the meantime is left alone.
    for (auto it = windows.rbegin(); it != windows.rend(); ++it)
        if (windows_->IsMinimized(*it)) windows_->Restore(*it);
}

} // namespace keyvane

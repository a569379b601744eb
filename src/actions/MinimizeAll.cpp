// The minimize-all toggle and its direct fallback; see MinimizeAll.h.
#include "actions/MinimizeAll.h"

#include <utility>

namespace keyvane {

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
        if (shell_->MinimizeAll() == DesktopShell::Outcome::Done)
            minimizedHere_.reset();
        else
            minimizedHere_ = MinimizeDirectly();
    } else if (minimizedHere_) {
        RestoreDirectly(*minimizedHere_);
        minimizedHere_.reset();
    } else {
        // The shell minimized; if it cannot undo, nothing is known to restore.
        shell_->UndoMinimizeAll();
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

#include "actions/WindowChoice.h"

#include <algorithm>

namespace keyvane {

namespace {

const WindowRecord* Find(std::span<const WindowRecord> windows, std::uintptr_t handle) {
    const auto found = std::find_if(windows.begin(), windows.end(),
                                    [&](const WindowRecord& w) { return w.handle == handle; });
    return found == windows.end() ? nullptr : &*found;
}

// The window that stands for the root in the switcher; null when none shows.
const WindowRecord* RootStandIn(std::span<const WindowRecord> windows, std::uintptr_t root) {
    const WindowRecord* at = Find(windows, root);
    // Bounded: the records are read one by one off a changing system and
    // may describe a loop.
    for (std::size_t steps = 0; at && steps <= windows.size(); ++steps) {
        if (at->visible) return at;
        if (at->lastActivePopup == at->handle) return nullptr;
        at = Find(windows, at->lastActivePopup);
    }
    return nullptr;
}

// Where the user left the switcher window: its last active popup when that
// is one a user can work in. A minimized owner has hidden its popups; they
// come back with it.
std::uintptr_t FrontOf(std::span<const WindowRecord> windows, const WindowRecord& window) {
    const WindowRecord* popup = Find(windows, window.lastActivePopup);
    if (!popup || popup->cloaked || popup->hung || !(popup->visible || window.minimized))
        return window.handle;
    return popup->handle;
}

} // namespace

bool IsSwitcherWindow(std::span<const WindowRecord> windows, std::size_t index) {
    const WindowRecord& window = windows[index];
    if (!window.visible || window.cloaked) return false;
    if (window.appWindow) return true;
    if (window.toolWindow) return false;
    return RootStandIn(windows, window.rootOwner) == &window;
}

RaisePlan PlanRaise(std::span<const WindowRecord> windows, std::span<const std::uint32_t> copies,
                    std::uintptr_t foregroundRoot, bool toggle) {
    const WindowRecord* chosen = nullptr;
    bool passedOver = false;
    for (std::size_t i = 0; i < windows.size(); ++i) {
        const WindowRecord& window = windows[i];
        if (std::find(copies.begin(), copies.end(), window.processId) == copies.end() ||
            !IsSwitcherWindow(windows, i))
            continue;
        if (window.hung) {
            passedOver = true;
            continue;
        }
        if (toggle && foregroundRoot != 0 && window.rootOwner == foregroundRoot &&
            !window.minimized)
            return {RaiseStep::Minimize, window.handle, 0, false};
        if (!chosen || (chosen->topmost && !window.topmost)) chosen = &window;
    }
    if (!chosen) return {passedOver ? RaiseStep::Leave : RaiseStep::StartCopy, 0, 0, false};
    return {RaiseStep::Activate, chosen->handle, FrontOf(windows, *chosen), chosen->minimized};
}

} // namespace keyvane

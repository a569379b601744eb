// Which of a running program's windows "Bring it to the front" and Toggle
// act on, chosen as the task switcher chooses the windows it lists, from
// records the Windows half reads off the system (ProgramActions_win32.cpp).
#pragma once

#include <cstdint>
#include <span>

namespace keyvane {

// One top-level window as the system describes it.
struct WindowRecord {
    std::uintptr_t handle = 0;
    std::uint32_t processId = 0;
    // The end of its owner chain; the window itself when it has no owner.
    std::uintptr_t rootOwner = 0;
    // The owned popup last active for it; the window itself when none.
    std::uintptr_t lastActivePopup = 0;
    bool visible = false;
    bool cloaked = false;    // hidden by the desktop composer: another virtual desktop,
                             // a suspended store app
    bool toolWindow = false; // a floating palette, never in the switcher
    bool appWindow = false;  // listed in the switcher even when owned
    bool topmost = false;    // always on top
    bool minimized = false;
    bool hung = false; // the system counts it as not answering
};

// Whether windows[index] is one the task switcher lists: visible, not
// cloaked, and either marked as an application window or not a tool window
// and its root owner's stand-in: the root itself when visible, else the
// first visible window the root's chain of last active popups leads to (a
// program that hides its owner window shows an owned one instead).
bool IsSwitcherWindow(std::span<const WindowRecord> windows, std::size_t index);

enum class RaiseStep {
    StartCopy, // no copy shows a window: another one starts
    Activate,  // window is restored when restore says so, front comes in front
    Minimize,  // window is minimized
    Leave,     // every window of the program is not answering: nothing is done
};
struct RaisePlan {
    RaiseStep step = RaiseStep::StartCopy;
    std::uintptr_t window = 0; // the switcher's window, for Activate and Minimize
    std::uintptr_t front = 0;  // where the user left it: a dialog it has open, or window
    bool restore = false;      // window is minimized
};

// What bringing up a running copy does. windows: every top-level window in
// the system's order (the screen's, top first); copies: the ids of the
// program's processes; foregroundRoot: the root owner of the window in front.
// The copy's switcher window nearest the top comes up, always-on-top windows
// only when it has no other (they sit first in the order however long ago
// they were used). toggle: when the window in front belongs to one of the
// copy's switcher windows (a dialog of it included) and that window is not
// minimized, it is minimized instead. Windows that do not answer are passed
// over: acting on them would hold the caller until they answer.
RaisePlan PlanRaise(std::span<const WindowRecord> windows, std::span<const std::uint32_t> copies,
                    std::uintptr_t foregroundRoot, bool toggle);

} // namespace keyvane

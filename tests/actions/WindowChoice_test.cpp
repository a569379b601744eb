// Which window of a running program comes up, or is minimized, over a desktop
// of window records such as the system gives.
#include "actions/WindowChoice.h"

#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

namespace keyvane {
namespace {

// A window of process pid whose handle is its number; by default shown,
// unowned and with no popup.
WindowRecord Window(std::uintptr_t handle, std::uint32_t pid) {
    WindowRecord w;
    w.handle = handle;
    w.processId = pid;
    w.rootOwner = w.lastActivePopup = handle;
    w.visible = true;
    return w;
}

template <class Change> WindowRecord With(WindowRecord w, Change change) {
    change(w);
    return w;
}

// The desktop in the screen's order, the top first.
std::vector<WindowRecord> Desktop() {
    return {
        // Process 7: an always-on-top window above everything, its main window lower.
        With(Window(1, 7), [](auto& w) { w.topmost = true; }),
        // Process 2: its own dialog (2) in front of its main window (3).
        With(Window(2, 2), [](auto& w) { w.rootOwner = 3; }),
        With(Window(3, 2), [](auto& w) { w.lastActivePopup = 2; }),
        With(Window(4, 4), [](auto& w) { w.toolWindow = true; }),
        With(Window(5, 5), [](auto& w) { w.cloaked = true; }), // on another desktop
        Window(6, 7),
        // Process 8 hides its owner window and shows an owned one instead.
        With(Window(8, 8), [](auto& w) { w.visible = false, w.lastActivePopup = 9; }),
        With(Window(9, 8), [](auto& w) { w.rootOwner = 8; }),
        With(Window(10, 10), [](auto& w) { w.hung = true; }),
        // Process 11: minimized, with the dialog it hid when it was.
        With(Window(11, 11), [](auto& w) { w.minimized = true, w.lastActivePopup = 12; }),
        With(Window(12, 11), [](auto& w) { w.visible = false, w.rootOwner = 11; }),
        // Process 13: one window not answering, the other fine.
        With(Window(13, 13), [](auto& w) { w.hung = true; }),
        Window(14, 13),
        // Process 20: hidden windows whose popups lead round in a circle.
        With(Window(20, 20), [](auto& w) { w.visible = false, w.lastActivePopup = 21; }),
        With(Window(21, 20), [](auto& w) { w.visible = false, w.lastActivePopup = 20; }),
        // Process 22: a tool window marked as an application window.
        With(Window(22, 22), [](auto& w) { w.toolWindow = w.appWindow = true; }),
    };
}

TEST(WindowChoice, TheSwitchersWindowComesUpOrIsMinimized) {
    using S = RaiseStep;
    struct Row {
        const char* what;
        std::uint32_t copy;
        std::uintptr_t foregroundRoot;
        bool toggle;
        RaiseStep step;
        std::uintptr_t window, front;
        bool restore;
    };
    const Row rows[] = {
        {"the dialog comes up with its window", 2, 0, false, S::Activate, 3, 2, false},
        {"bring to front ignores the window in front", 2, 3, false, S::Activate, 3, 2, false},
        {"toggle with the program's own dialog in front", 2, 3, true, S::Minimize, 3, 0, false},
        {"toggle with another program in front", 2, 6, true, S::Activate, 3, 2, false},
        {"always-on-top only when there is no other", 7, 0, true, S::Activate, 6, 6, false},
        {"toggle minimizes the always-on-top one in front", 7, 1, true, S::Minimize, 1, 0, false},
        {"a tool window is no program's window", 4, 0, false, S::StartCopy, 0, 0, false},
        {"a cloaked window is no program's window", 5, 0, false, S::StartCopy, 0, 0, false},
        {"an owned window stands in for a hidden owner", 8, 0, false, S::Activate, 9, 9, false},
        {"toggle with the hidden owner in front", 8, 8, true, S::Minimize, 9, 0, false},
        {"a window not answering is left alone", 10, 0, false, S::Leave, 0, 0, false},
        {"even when it is in front", 10, 10, true, S::Leave, 0, 0, false},
        {"minimized, restored with its hidden dialog", 11, 0, false, S::Activate, 11, 12, true},
        {"a minimized window in front comes up", 11, 11, true, S::Activate, 11, 12, true},
        {"the window that answers is taken", 13, 0, false, S::Activate, 14, 14, false},
        {"popups in a circle end the walk", 20, 0, false, S::StartCopy, 0, 0, false},
        {"an application window, tool or not", 22, 0, false, S::Activate, 22, 22, false},
        {"no copy runs", 99, 0, false, S::StartCopy, 0, 0, false},
    };
    const std::vector<WindowRecord> desktop = Desktop();
    for (const Row& row : rows) {
        const std::uint32_t copies[] = {row.copy};
        const RaisePlan plan = PlanRaise(desktop, copies, row.foregroundRoot, row.toggle);
        EXPECT_EQ(plan.step, row.step) << row.what;
        EXPECT_EQ(plan.window, row.window) << row.what;
        if (row.step == S::Activate) {
            EXPECT_EQ(plan.front, row.front) << row.what;
            EXPECT_EQ(plan.restore, row.restore) << row.what;
        }
    }
}

TEST(WindowChoice, TheSwitcherListsOneWindowPerShownProgramWindow) {
    const std::vector<WindowRecord> desktop = Desktop();
    std::vector<std::uintptr_t> listed;
    for (std::size_t i = 0; i < desktop.size(); ++i)
        if (IsSwitcherWindow(desktop, i)) listed.push_back(desktop[i].handle);
    EXPECT_EQ(listed, (std::vector<std::uintptr_t>{1, 3, 6, 9, 10, 11, 13, 14, 22}));
}

} // namespace
} // namespace keyvane

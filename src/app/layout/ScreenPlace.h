// Keeping the main window on a screen after a load: where a stored
// rectangle may stay, given the monitors' work areas.
#pragma once

#include <span>

namespace keyvane {

struct ScreenRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    friend bool operator==(const ScreenRect&, const ScreenRect&) = default;
};

// The window's rectangle after a load: a size below the minimum is raised to
// it, and a rectangle that touches none of the monitors' work areas is moved
// inside the nearest one (as far as it fits). workAreas empty: only the size
// is raised.
ScreenRect KeptReachable(ScreenRect window, std::span<const ScreenRect> workAreas, int minWidth,
                         int minHeight);

} // namespace keyvane

#include "app/layout/ScreenPlace.h"

#include <algorithm>
#include <iterator>
#include <limits>
#include <vector>

namespace keyvane {

ScreenRect KeptReachable(ScreenRect window, std::span<const ScreenRect> workAreas, int minWidth,
                         int minHeight) {
    // 64-bit arithmetic: the file may hold any int, and right - left must not overflow.
    long long width = std::max<long long>(0LL + window.right - window.left, minWidth);
    long long height = std::max<long long>(0LL + window.bottom - window.top, minHeight);
    long long left = window.left, top = window.top;
    // A work area that cannot hold the least window is no screen to move to:
    // moving into such a strip (as Wine's desktop has reported one at a
    // start) pulls a window that is well on screen to the top edge.
    const auto holds = [&](const ScreenRect& a) {
        return 0LL + a.right - a.left >= minWidth && 0LL + a.bottom - a.top >= minHeight;
    };
    const auto touches = [&](const ScreenRect& a) {
        return left < a.right && a.left < left + width && top < a.bottom && a.top < top + height;
    };
    // Distance along one axis between [lo, lo + len) and [alo, ahi); 0 on overlap.
    const auto gap = [](long long lo, long long len, long long alo, long long ahi) {
        return lo + len <= alo ? alo - (lo + len) + 1 : lo >= ahi ? lo - ahi + 1 : 0;
    };
    std::vector<ScreenRect> screens;
    std::copy_if(workAreas.begin(), workAreas.end(), std::back_inserter(screens), holds);
    if (!screens.empty() && std::none_of(screens.begin(), screens.end(), touches)) {
        const ScreenRect* nearest = nullptr;
        double best = std::numeric_limits<double>::infinity();
        for (const ScreenRect& a : screens) {
            const double dx = static_cast<double>(gap(left, width, a.left, a.right));
            const double dy = static_cast<double>(gap(top, height, a.top, a.bottom));
            const double d = dx * dx + dy * dy;
            if (d < best) best = d, nearest = &a;
        }
        // Inside when it fits; otherwise its top left corner at the area's,
        // so the title bar can be reached.
        left = std::max<long long>(std::min<long long>(left, 0LL + nearest->right - width),
                                   nearest->left);
        top = std::max<long long>(std::min<long long>(top, 0LL + nearest->bottom - height),
                                  nearest->top);
    }
    const auto clamp = [](long long v) {
        return static_cast<int>(std::clamp<long long>(v, std::numeric_limits<int>::min(),
                                                      std::numeric_limits<int>::max()));
    };
    return {clamp(left), clamp(top), clamp(left + width), clamp(top + height)};
}

} // namespace keyvane

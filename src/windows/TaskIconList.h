// The task icons' pictures: one image list entry per distinct source of the
// plan, extracted once each.
#pragma once

#include "app/TaskIcons.h"

#include <windows.h>
#include <commctrl.h>

namespace keyvane {

// Bitmap resource ids of the three built-in pictures (0: none drawn yet).
struct BuiltInPictures {
    int reboot = 0;
    int hibernate = 0;
    int minimizeAll = 0;
};

// size: the edge in pixels (32 at 96 dpi). A file without icons falls back
// to the shell library's generic picture; when even that fails the entry is
// left blank, so the positions still match the plan.
HIMAGELIST BuildTaskIconList(HINSTANCE instance, const IconPlan& plan, int size,
                             const BuiltInPictures& pictures);

} // namespace keyvane

// The task icons' pictures: one image list entry per distinct source of the
// plan, extracted once each.
#pragma once

#include "app/TaskIcons.h"
#include "windows/art_ids.h"

#include <windows.h>
#include <commctrl.h>

namespace keyvane {

// Bitmap resource ids of the built-in pictures (0: none, the entry is left
// blank).
struct BuiltInPictures {
    int reboot = IDB_REBOOT;
    int hibernate = IDB_HIBERNATE;
    int minimizeAll = IDB_MINIMIZEALL;
    int typeText = IDB_TYPETEXT;
    int sendKeys = IDB_SENDKEYS;

    int Of(IconSource::Kind kind) const {
        switch (kind) {
        case IconSource::Kind::Reboot:
            return reboot;
        case IconSource::Kind::Hibernate:
            return hibernate;
        case IconSource::Kind::MinimizeAll:
            return minimizeAll;
        case IconSource::Kind::TypeText:
            return typeText;
        case IconSource::Kind::SendKeys:
            return sendKeys;
        case IconSource::Kind::File:
            break;
        }
        return 0;
    }
};

// size: the edge in pixels (32 at 96 dpi). A file without icons falls back
// to the shell library's generic picture; when even that fails the entry is
// left blank, so the positions still match the plan.
HIMAGELIST BuildTaskIconList(HINSTANCE instance, const IconPlan& plan, int size,
                             const BuiltInPictures& pictures);

} // namespace keyvane

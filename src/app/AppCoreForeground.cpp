// The core's side of the window in front: when it is watched, and what a
// change of it does to the registrations and the full-screen pause.
#include "app/AppCore.h"

#include "base/Text.h"

namespace keyvane {

void AppCore::ForegroundChanged(const ForegroundProgram& program) {
    const bool was = suspended();
    const bool sameProgram = hotKeys_.foregroundProgram() == CaseFolded(program.fileName);
    fullScreenInFront_ = program.fullScreen;
    hotKeys_.SetForegroundProgram(program.fileName);
    if (suspended() != was) {
        FollowSuspension(was);
    } else if (suspended() || edit_ || sameProgram || hotKeys_.FollowForeground() == 0) {
        return; // the grid's marks are as they were
    }
    Tell({.marks = true});
}

void AppCore::SetPauseWhenFullScreen(bool pause) {
    const bool was = suspended();
    pauseFullScreen_ = pause;
    FollowSuspension(was);
    FollowForegroundNeed();
    if (suspended() != was) Tell({.marks = true});
}

void AppCore::setForegroundWatchSwitch(std::function<void(ForegroundNeed)> onNeed) {
    watchSwitch_ = std::move(onNeed);
    foregroundNeed_ = {};
    FollowForegroundNeed();
}

void AppCore::FollowForegroundNeed() {
    const ForegroundNeed need = ForegroundNeedOf(tasks_, pauseFullScreen_);
    if (need == foregroundNeed_) return;
    foregroundNeed_ = need;
    // Unwatched, the last report goes stale: nothing is known again. The
    // full-screen pause is off then, so no hotkey follows.
    if (!need.program) hotKeys_.SetForegroundProgram(u"");
    if (!need.fullScreen) fullScreenInFront_ = false;
    if (watchSwitch_) watchSwitch_(need);
}

} // namespace keyvane

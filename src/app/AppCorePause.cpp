// The core's pause: the pause hotkey, the field that sets it, the paused
// state and what the window says of it.
#include "app/AppCore.h"

#include "base/AppInfo.h"

namespace keyvane {

std::u16string AppCore::PausedNote() const {
    if (!pauseHotKey_) return std::u16string(kPausedNoteText);
    std::u16string note(kPausedNoteHotKeyText);
    note.replace(note.find(u"%1"), 2, HotKeyCodeToText(names_, pauseHotKey_));
    return note;
}

bool AppCore::SetPauseHotKey(HotKeyCode code) {
    if (code != pauseHotKey_) {
        const HotKeyCode old = pauseHotKey_;
        pauseHotKey_ = code;
        hotKeys_.SetKeptCode(code);
        if (old) {
            hotKeys_.ReleaseRegistration(old);
            // A task may have that combination too (a hand-made file).
            if (!paused_ && !edit_) hotKeys_.RegisterAllTaskHotKeys(tasks_, names_);
        }
    }
    const bool held =
        code == 0 || hotKeys_.HasRegistration(code) || hotKeys_.AddRegistration(code) != 0;
    Tell({.marks = true, .options = true});
    return held;
}

std::u16string AppCore::PressPauseField(HotKeyCode code) {
    const bool ours = code != 0 && (code & ~kKeypadBit) == (pauseHotKey_ & ~kKeypadBit);
    const PauseFieldAdvice advice =
        AdvisePauseHotKey(names_, code, !ours && hotKeys_.IsHeldElsewhere(code),
                          TasksWithHotKey(tasks_, names_, code, -1));
    if (advice.refused) return advice.text;
    const bool held = SetPauseHotKey(advice.clears ? 0 : code);
    if (advice.clears) return {};
    return held ? advice.text : std::u16string(kHeldElsewhereText);
}

void AppCore::SetPaused(bool paused) {
    if (paused == paused_) return;
    const bool was = suspended();
    paused_ = paused;
    FollowSuspension(was);
    Tell({.marks = true, .pause = true});
}

void AppCore::FollowSuspension(bool wasSuspended) {
    if (suspended() == wasSuspended) return;
    if (suspended())
        hotKeys_.ReleaseTaskRegistrations(); // the pause hotkey stays, to resume
    else if (!edit_)
        RegisterAllTaskHotKeys(); // an open editor registers them as it closes
}

} // namespace keyvane

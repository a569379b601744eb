#include "hotkeys/HotKeyCapture.h"

namespace keyvane {
namespace {

bool PassesAlways(unsigned key) {
    // The mask key, characters typed by input methods and SendInput's text
    // are not keys of a combination.
    return key == kMaskKey || key == vk::kPacket || key == vk::kProcessKey || key == 0;
}

bool MovesInDialog(unsigned key) {
    return key == vk::kTab || key == vk::kReturn || key == vk::kEscape;
}

// Combinations the system acts on below every hook (Win+L locks, Ctrl+Alt+Del
// shows the secure screen): the keys' releases arrive on another desktop.
bool TakenBySystem(HotKeyCode held, unsigned key) {
    if ((held & kWinBit) && key == 'L') return true;
    return (held & (kCtrlBit | kAltBit)) == (kCtrlBit | kAltBit) &&
           (key == vk::kDelete || key == vk::kDecimal);
}

HotKeyCode CodeOf(unsigned key, bool extended, HotKeyCode held) {
    // The control's flags: the extended flag tells the keypad's twins apart.
    unsigned flags = extended ? kHotKeyfExt : 0;
    if (held & kShiftBit) flags |= kHotKeyfShift;
    if (held & kCtrlBit) flags |= kHotKeyfControl;
    if (held & kAltBit) flags |= kHotKeyfAlt;
    return HotKeyFieldFromControl(static_cast<std::uint16_t>(flags << 8 | key)) | (held & kWinBit);
}

} // namespace

HotKeyCode ModifierBit(unsigned key) {
    switch (key) {
    case vk::kShift:
    case vk::kLShift:
    case vk::kRShift:
        return kShiftBit;
    case vk::kControl:
    case vk::kLControl:
    case vk::kRControl:
        return kCtrlBit;
    case vk::kMenu:
    case vk::kLMenu:
    case vk::kRMenu:
        return kAltBit;
    case vk::kLWin:
    case vk::kRWin:
        return kWinBit;
    default:
        return 0;
    }
}

HotKeyCapture::HotKeyCapture(std::span<const unsigned> heldAtStart) {
    for (unsigned key : heldAtStart)
        keys_[key & 0xFF] = State::Passed;
}

HotKeyCode HotKeyCapture::held() const {
    HotKeyCode held = 0;
    for (unsigned key = 0; key < keys_.size(); ++key)
        if (keys_[key] != State::Up) held |= ModifierBit(key);
    return held;
}

HotKeyCode HotKeyCapture::SystemHeld() const {
    HotKeyCode held = 0;
    for (unsigned key = 0; key < keys_.size(); ++key)
        if (keys_[key] == State::Passed) held |= ModifierBit(key);
    return held;
}

void HotKeyCapture::Forget() {
    keys_.fill(State::Up);
    systemSawKey_ = false;
}

KeyVerdict HotKeyCapture::OnKey(unsigned key, bool extended, bool down) {
    key &= 0xFF;
    State& state = keys_[key];
    if (!down) {
        const State was = state;
        state = State::Up;
        return {was == State::Swallowed ? KeyDecision::Swallow : KeyDecision::Pass, 0};
    }
    // A repeat goes where its first press went.
    if (state == State::Passed) return {};
    const HotKeyCode bit = ModifierBit(key);
    if (bit) {
        if (state == State::Swallowed) return {KeyDecision::Swallow, 0};
        // Shift and Ctrl pass, so Shift+Tab still moves back; Alt would open
        // the menu and Win the Start menu.
        if (bit == kAltBit || bit == kWinBit) {
            state = State::Swallowed;
            return {KeyDecision::Swallow, 0};
        }
        state = State::Passed;
        systemSawKey_ = false;
        return {};
    }
    const HotKeyCode held = this->held();
    if (state == State::Up) {
        // Tab, Enter and Escape alone move on, confirm and close, as in any field.
        const bool alone = (held & (kCtrlBit | kAltBit | kWinBit)) == 0;
        if (PassesAlways(key) || (alone && MovesInDialog(key))) {
            state = State::Passed;
            systemSawKey_ = true;
            return {};
        }
        if (TakenBySystem(held, key)) {
            Forget();
            return {KeyDecision::Swallow, 0};
        }
        state = State::Swallowed;
    }
    const HotKeyCode system = SystemHeld();
    const bool releaseActs = (system & (kAltBit | kWinBit)) != 0 ||
                             (system & (kCtrlBit | kShiftBit)) == (kCtrlBit | kShiftBit);
    KeyVerdict verdict{KeyDecision::Swallow, CodeOf(key, extended, held)};
    if (releaseActs && !systemSawKey_) {
        verdict.decision = KeyDecision::SwallowAndMask;
        systemSawKey_ = true;
    }
    return verdict;
}

KeyVerdict HotKeyCapture::OnHookKey(unsigned key, bool extended, bool down, FieldPlace place) {
    if (!down || (place.focused && place.inFront)) return OnKey(key, extended, down);
    State& state = keys_[key & 0xFF];
    if (state == State::Swallowed) return {KeyDecision::Swallow, 0};
    if (state == State::Up) {
        // As OnKey counts a press the system sees.
        state = State::Passed;
        systemSawKey_ = ModifierBit(key & 0xFF) == 0;
    }
    return {};
}

bool OnlyWithoutHook(unsigned key, bool repeat) {
    key &= 0xFF;
    if (const HotKeyCode bit = ModifierBit(key))
        return !repeat && (bit == kAltBit || bit == kWinBit);
    return !PassesAlways(key) && !MovesInDialog(key);
}

} // namespace keyvane

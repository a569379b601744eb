#include "hotkeys/HotKeyCapture.h"

#include <algorithm>

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

// The combinations, exact in their modifiers: Windows acts on Alt+Shift+Tab
// as on Alt+Tab, but on Ctrl+Alt+F4 not as on Alt+F4.
struct Needed {
    HotKeyCode modifiers;
    unsigned key;
};
constexpr Needed kWindowsNeeds[] = {
    {kAltBit, 0x73},                     // Alt+F4 closes the window
    {kAltBit, vk::kTab},                 // Alt+Tab and the rest switch windows
    {kAltBit | kShiftBit, vk::kTab},     //
    {kAltBit | kCtrlBit, vk::kTab},      //
    {kAltBit, vk::kEscape},              //
    {kAltBit | kShiftBit, vk::kEscape},  //
    {kCtrlBit, vk::kEscape},             // the Start menu
    {kCtrlBit | kShiftBit, vk::kEscape}, // Task Manager
    {kAltBit, 0x20},                     // Alt+Space: the window menu
    {kWinBit, vk::kTab},                 // Win+Tab: the task view
};

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

bool WindowsNeeds(HotKeyCode code) {
    const HotKeyCode modifiers = code & (kShiftBit | kCtrlBit | kAltBit | kWinBit);
    for (const Needed& needed : kWindowsNeeds)
        if (needed.modifiers == modifiers && needed.key == (code & 0xFF)) return true;
    return false;
}

HotKeyCapture::HotKeyCapture(std::span<const unsigned> heldAtStart,
                             std::span<const HotKeyCode> ownShortcuts)
    : ownShortcuts_(ownShortcuts.begin(), ownShortcuts.end()) {
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

KeyVerdict HotKeyCapture::PassOn(unsigned key, bool extended, HotKeyCode code) {
    // Captured all the same, so the line under the field can say why it is
    // not taken.
    KeyVerdict verdict{KeyDecision::Pass, code};
    std::size_t count = 0;
    // The system must see the modifiers go down before the key, and then
    // their releases, as the key's.
    for (unsigned held = 0; held < keys_.size(); ++held) {
        if (keys_[held] != State::Swallowed || !ModifierBit(held)) continue;
        keys_[held] = State::Passed;
        verdict.replay[count++] = static_cast<std::uint8_t>(held);
    }
    keys_[key] = State::Passed;
    systemSawKey_ = true;
    if (count == 0) return verdict;
    verdict.replay[count] = static_cast<std::uint8_t>(key);
    verdict.replayExtended = extended;
    verdict.decision = KeyDecision::SwallowAndReplay;
    return verdict;
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
        const HotKeyCode code = CodeOf(key, extended, held) & ~kKeypadBit;
        if (WindowsNeeds(code) ||
            std::find(ownShortcuts_.begin(), ownShortcuts_.end(), code) != ownShortcuts_.end())
            return PassOn(key, extended, code);
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

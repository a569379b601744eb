// The rules of the task editor's hotkey field while it captures: which key
// events the system sees and which the field takes, the modifiers held and
// the code a press makes. The field's keyboard hook feeds every key event of
// a capture here and does what the verdict says.
//
// A press is the field's only while the field has the focus of the
// foreground window: a field focused in a window Windows kept behind (a
// drop or /show refused the foreground) leaves the keys typed in the
// program in front to that program.
//
// The system must never be left believing a key is down: a key-up is taken
// only when its key-down was. Alt and Win pressed in the field are taken, so
// neither the menu bar nor the Start menu opens. A modifier the system did
// see go down (held before the capture began: Alt from the field's label
// mnemonic, Win from Win+number) keeps reaching it, and a key taken while it
// is held is masked by an unassigned key event, so its release opens no menu
// and a Ctrl+Shift or Alt+Shift release switches no keyboard layout.
//
// A combination Windows needs in every program (Alt+F4 ...), and one the
// field's window names as its own shortcut, is never taken: it reaches the
// system as if the field were not capturing (and is reported, so the field
// can say why it is not taken). Its Alt or Win pressed in the field was
// taken, so the field replays their presses before the key's.
#pragma once

#include "hotkeys/HotKeyText.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace keyvane {

// Virtual keys the rules name.
namespace vk {
inline constexpr unsigned kTab = 0x09, kReturn = 0x0D, kShift = 0x10, kControl = 0x11, kMenu = 0x12,
                          kEscape = 0x1B, kDelete = 0x2E, kLWin = 0x5B, kRWin = 0x5C,
                          kDecimal = 0x6E, kLShift = 0xA0, kRShift = 0xA1, kLControl = 0xA2,
                          kRControl = 0xA3, kLMenu = 0xA4, kRMenu = 0xA5, kProcessKey = 0xE5,
                          kPacket = 0xE7;
} // namespace vk

// The unassigned virtual key the field sends between a held modifier's press
// and its release.
inline constexpr unsigned kMaskKey = 0xE8;

enum class KeyDecision {
    Pass,             // the system sees the event
    Swallow,          // nobody sees it
    SwallowAndMask,   // nobody sees it; send the mask key's press and release now
    SwallowAndReplay, // nobody sees it; send the presses of replay now, in order
};

struct KeyVerdict {
    KeyDecision decision = KeyDecision::Pass;
    HotKeyCode captured = 0; // the combination pressed; 0: none
    // The held modifiers the system did not see go down, then the key; 0 ends.
    std::array<std::uint8_t, 10> replay{};
    bool replayExtended = false; // the key (last of replay) is an extended one
};

// Whether Windows itself needs the combination in every program: closing a
// window, switching windows, the Start menu, Task Manager, the window menu.
// A hotkey on it would take it from every program.
bool WindowsNeeds(HotKeyCode code);

// Where the field stands as the hook sees a key event.
struct FieldPlace {
    bool focused = false; // the field is the focus window of its thread
    bool inFront = false; // the field's top-level window is the foreground window
};

// The modifier bit of a virtual key (either side's or the generic one); 0
// for any other key.
HotKeyCode ModifierBit(unsigned key);

class HotKeyCapture {
  public:
    // heldAtStart: the keys the system holds as the capture begins; their
    // key-downs were never seen here, so their key-ups always reach it.
    // ownShortcuts: the field's window's shortcuts (Alt+letter mnemonics),
    // passed on as Windows' own are.
    explicit HotKeyCapture(std::span<const unsigned> heldAtStart = {},
                           std::span<const HotKeyCode> ownShortcuts = {});

    // A key event the field owns (it has the focus of the foreground window).
    KeyVerdict OnKey(unsigned key, bool extended, bool down);
    // A key event as the hook sees it, wherever the focus is: a press while
    // the field is not focused in front is another program's and passes,
    // remembered as held by the system; a release, and a repeat of a press
    // taken here, go where that press went, so nobody sees a release or a
    // repeat without its press.
    KeyVerdict OnHookKey(unsigned key, bool extended, bool down, FieldPlace place);
    // The modifiers held now.
    HotKeyCode held() const;

  private:
    enum class State : std::uint8_t { Up, Passed, Swallowed };
    // Modifier bits of the keys held whose press the system saw.
    HotKeyCode SystemHeld() const;
    void Forget();
    // The press of a combination that is not the field's.
    KeyVerdict PassOn(unsigned key, bool extended, HotKeyCode code);

    std::vector<HotKeyCode> ownShortcuts_;
    std::array<State, 256> keys_{};
    // The system saw a key other than a modifier since it last saw one go
    // down: a modifier's release then triggers nothing.
    bool systemSawKey_ = false;
};

// Whether a key-down that reached the field itself proves the hook is gone:
// the hook never lets such a press through to the system.
bool OnlyWithoutHook(unsigned key, bool repeat);

} // namespace keyvane

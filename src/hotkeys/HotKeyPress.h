// One press of a registered hotkey as the hotkey manager hands it to its
// handler: what the dispatcher needs to find the rows it runs, copied at the
// press, so the dispatcher needs neither the manager nor its state, which a
// registration pass inside a running action may change.
#pragma once

#include "hotkeys/HotKeyText.h"

#include <cstdint>
#include <string>
#include <vector>

namespace keyvane {

struct HotKeyPress {
    // The event's two arguments, under the design's names.
    HotKeyCode HotKey = 0;   // as the system reported it (no keypad bit)
    std::uint16_t Index = 0; // the registration id; nothing reads it but tests
    // The Hotkey texts the last registration pass read as the code (keypad
    // bit aside), in the order first met. A press is matched by these: the
    // system reports the same virtual key whatever layout is in use, while
    // the text names the keys of the layout it was written under.
    std::vector<std::u16string> texts;
    // The file name of the program in front, case-folded (empty: unknown).
    std::u16string program;
};

} // namespace keyvane

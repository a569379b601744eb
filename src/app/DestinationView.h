// How the windows show and edit a destination: the count under the text to
// type, the grid's one line of it, and the combinations the editor's keys
// field adds to a "Send keys..." destination. The destination here is the
// decoded text (DestinationFromCell), line breaks as CR LF.
#pragma once

#include "hotkeys/HotKeyText.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace keyvane {

// The characters a user sees: a surrogate pair is one, and so is a line
// break (CR LF, or a lone CR or LF).
std::size_t ShownCharacterCount(std::u16string_view text);

// The line under the text box: "1 character", "2,000 characters".
std::u16string CharacterCountText(std::u16string_view text);

// The grid's Destination cell: the first line of the decoded cell, and
// kMoreLinesMark after it when more lines follow.
inline constexpr std::u16string_view kMoreLinesMark = u" ...";
std::u16string GridDestinationText(std::u16string_view cell);

// A combination pressed in the keys field. Refused: one Windows needs in
// every program, which the field leaves to the system (the text says so).
// Otherwise destination is the keys with the combination added at the end,
// rewritten as the HotKey column writes them when they could be read.
struct KeysFieldPress {
    bool refused = false;
    std::u16string text;        // refused: why; else empty
    std::u16string destination; // taken: the new destination
};
KeysFieldPress AddPressedKey(const HotKeyNames& names, std::u16string_view destination,
                             HotKeyCode code);

} // namespace keyvane

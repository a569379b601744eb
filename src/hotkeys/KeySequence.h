// Key sequences: the destination of "Send keys...", one or more key
// combinations written as the Hotkey column writes them and separated by
// ", " ("Ctrl+C, Tab, Ctrl+V"). A combination may have no modifier, and the
// comma key is a key like any other ("Ctrl+,, Tab").
#pragma once

#include "hotkeys/HotKeyText.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace keyvane {

// The combinations of the text, in order; none when some part of it names
// no key, or it names none at all. Blanks around a combination are ignored.
std::optional<std::vector<HotKeyCode>> ReadKeySequence(const HotKeyNames& names,
                                                       std::u16string_view text);

// The text of the combinations, each as HotKeyCodeToText writes it.
std::u16string WriteKeySequence(const HotKeyNames& names, std::span<const HotKeyCode> keys);

} // namespace keyvane

#include "app/DestinationView.h"

#include "base/AppInfo.h"
#include "hotkeys/HotKeyCapture.h"
#include "hotkeys/KeySequence.h"
#include "tasks/DestinationText.h"

#include <optional>
#include <vector>

namespace keyvane {

std::size_t ShownCharacterCount(std::u16string_view text) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++i, ++count) {
        const char16_t c = text[i];
        const bool pair = c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() &&
                          text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
        if (pair || (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')) ++i;
    }
    return count;
}

std::u16string CharacterCountText(std::u16string_view text) {
    const std::size_t count = ShownCharacterCount(text);
    std::u16string digits;
    for (char c : std::to_string(count))
        digits += static_cast<char16_t>(c);
    // Thousands grouped, so a long text's size reads at a glance.
    for (std::size_t at = digits.size(); at > 3;) {
        at -= 3;
        digits.insert(at, 1, u',');
    }
    return digits + (count == 1 ? u" character" : u" characters");
}

std::u16string GridDestinationText(std::u16string_view cell) {
    const std::u16string text = DestinationFromCell(cell);
    const std::u16string_view first = FirstLine(text);
    if (first.size() == text.size()) return text;
    return std::u16string(first) + std::u16string(kMoreLinesMark);
}

KeysFieldPress AddPressedKey(const HotKeyNames& names, std::u16string_view destination,
                             HotKeyCode code) {
    KeysFieldPress press;
    if (WindowsNeeds(code & ~kKeypadBit)) {
        press.refused = true;
        press.text = std::u16string(kNotTakenPrefix) + HotKeyCodeToText(names, code) +
                     std::u16string(kWindowsNeedsAfter);
        return press;
    }
    const HotKeyCode added[] = {code};
    const std::u16string written = WriteKeySequence(names, added);
    const std::optional<std::vector<HotKeyCode>> back = ReadKeySequence(names, written);
    // A key two keys share a name with reads back as the first of them (the
    // keypad's twins); both send the same virtual key.
    if (!back || back->size() != 1 || ((*back)[0] & ~kKeypadBit) != (code & ~kKeypadBit)) {
        press.refused = true;
        press.text = kUnnamedKeyText;
        return press;
    }
    if (std::optional<std::vector<HotKeyCode>> keys = ReadKeySequence(names, destination)) {
        keys->push_back((*back)[0]);
        press.destination = WriteKeySequence(names, *keys);
        return press;
    }
    // Keys that cannot be read stay as the user wrote them; the line under
    // Destination keeps saying so.
    std::u16string_view kept = destination;
    while (!kept.empty() && (kept.back() == u' ' || kept.back() == u'\t'))
        kept.remove_suffix(1);
    press.destination = std::u16string(kept);
    if (!kept.empty()) press.destination += u", ";
    press.destination += written;
    return press;
}

} // namespace keyvane

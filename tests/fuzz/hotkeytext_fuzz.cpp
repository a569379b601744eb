// Any text must parse to some code without a crash or a sanitizer report, and
// a code the parser accepts must come back from its own text: the text the
// program writes for a hotkey always registers that hotkey again.
#include "../hotkeys/FakeKeyNames.h"
#include "hotkeys/HotKeyManager.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static keyvane::test::ScopedKeyNames* layout = new keyvane::test::ScopedKeyNames;
    (void)layout;

    // The bytes as UTF-16 units, little-endian; a last odd byte is dropped.
    std::u16string text;
    for (std::size_t i = 0; i + 1 < size; i += 2)
        text += static_cast<char16_t>(data[i] | (data[i + 1] << 8));

    const keyvane::HotKeyCode code = keyvane::TextToHotKeyCode(text);
    if (code != 0) {
        if ((code & 0xFF) == 0 || (code & ~0x1E0FFu) != 0) std::abort();
        const std::u16string written = keyvane::HotKeyCodeToText(code);
        if (keyvane::TextToHotKeyCode(written) != code) std::abort();
    }

    const std::uint16_t value = keyvane::ParseShortcutText(text);
    if (value != 0 && ((value & 0xFF) == 0 || (value & 0x1F00) != 0)) std::abort();
    return 0;
}

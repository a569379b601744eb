// Any text must parse to some code without a crash or a sanitizer report, and
// a code the parser accepts must come back from its own text: the text the
// program writes for a hotkey always registers that hotkey again, and the
// same for a key sequence.
#include "../FakeKeyNames.h"
#include "hotkeys/HotKeyText.h"
#include "hotkeys/KeySequence.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const keyvane::test::FakeLayout* layout = new keyvane::test::FakeLayout;
    const keyvane::HotKeyNames& names = layout->names;

    // The bytes as UTF-16 units, little-endian; a last odd byte is dropped.
    std::u16string text;
    for (std::size_t i = 0; i + 1 < size; i += 2)
        text += static_cast<char16_t>(data[i] | (data[i + 1] << 8));

    const keyvane::HotKeyCode code = keyvane::TextToHotKeyCode(names, text);
    if (code != 0) {
        if ((code & 0xFF) == 0 || (code & ~(0x1E0FFu | keyvane::kKeypadBit)) != 0) std::abort();
        const std::u16string written = keyvane::HotKeyCodeToText(names, code);
        if (keyvane::TextToHotKeyCode(names, written) != code) std::abort();
    }

    // A key sequence the program writes reads back as the same keys.
    if (const auto keys = keyvane::ReadKeySequence(names, text)) {
        if (keys->empty()) std::abort();
        if (keyvane::ReadKeySequence(names, keyvane::WriteKeySequence(names, *keys)) != keys)
            std::abort();
    }

    const std::uint16_t value = keyvane::ParseShortcutText(names, text);
    if (value != 0 && ((value & 0xFF) == 0 || (value & 0x1F00) != 0)) std::abort();
    // The editor hands the value to the system's hotkey control and takes it back.
    if (keyvane::HotKeyFieldFromControl(keyvane::HotKeyControlFromField(value)) != value)
        std::abort();
    return 0;
}

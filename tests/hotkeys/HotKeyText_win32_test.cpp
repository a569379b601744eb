// The Windows half of the hotkey text against the real system's key names.
#include "hotkeys/HotKeyText.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

namespace keyvane {
namespace {

// The portable constants are the system's values.
static_assert(kHotKeyfShift == HOTKEYF_SHIFT && kHotKeyfControl == HOTKEYF_CONTROL &&
              kHotKeyfAlt == HOTKEYF_ALT && kHotKeyfExt == HOTKEYF_EXT);

TEST(SystemKeyNames, NamesLettersAndModifiers) {
    const KeyNameSource& names = SystemKeyNames();
    EXPECT_EQ(names.KeyName('A', false), u"A");
    EXPECT_FALSE(names.KeyName(VK_CONTROL, false).empty());
    EXPECT_FALSE(names.KeyName(VK_F4, false).empty());
    EXPECT_NE(names.LayoutId(), 0u);
}

TEST(SystemKeyNames, TheLayoutsModifierWordsReadBackIntoTheField) {
    // Whatever words this system's layout gives the modifiers, a row the
    // program writes comes back into the editor's hotkey field.
    const HotKeyNames names(SystemKeyNames());
    for (std::uint16_t value : {0xC04E, 0x6074, 0x2041}) {
        const std::u16string text = HotKeyCodeToText(names, value);
        EXPECT_EQ(ParseShortcutText(names, text), value) << std::string(text.begin(), text.end());
    }
}

} // namespace
} // namespace keyvane

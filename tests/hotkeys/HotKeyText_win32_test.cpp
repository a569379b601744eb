// The Windows half of the hotkey text against the real system's key names.
#include "hotkeys/HotKeyText.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <set>
#include <vector>
#include <string>

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

TEST(SystemKeyNames, InstalledLayoutsNameTheirCharacterKeys) {
    const KeyNameSource& names = SystemKeyNames();
    const std::vector<std::uintptr_t> layouts = names.InstalledLayouts();
    ASSERT_FALSE(layouts.empty());
    EXPECT_EQ(layouts.front(), names.LayoutId()) << "the layout in use comes first";
    EXPECT_EQ(names.CharacterKeyName('Q', names.LayoutId()), names.KeyName('Q', false));
    // A Russian layout loaded beside it (not activated) names its letters.
    const HKL russian = LoadKeyboardLayoutW(L"00000419", KLF_NOTELLSHELL);
    if (russian == nullptr) GTEST_SKIP() << "no Russian layout here";
    const auto id = reinterpret_cast<std::uintptr_t>(russian);
    const bool ours = std::find(layouts.begin(), layouts.end(), id) == layouts.end();
    const std::vector<std::uintptr_t> now = names.InstalledLayouts();
    const std::u16string q = names.CharacterKeyName('Q', id);
    const std::u16string semicolon = names.CharacterKeyName(VK_OEM_1, id);
    const HotKeyCode code = TextToHotKeyCode(HotKeyNames(names), u"Ctrl+\u0419");
    if (ours) UnloadKeyboardLayout(russian); // the user's own stays
    EXPECT_NE(std::find(now.begin(), now.end(), id), now.end());
    // Wine 8 translates keys by the display's keymap whatever layout is asked for.
    if (q == u"Q") GTEST_SKIP() << "this system ignores the layout in ToUnicodeEx";
    EXPECT_EQ(q, u"\u0419");
    EXPECT_EQ(semicolon, u"\u0416");
    EXPECT_EQ(code, kCtrlBit | 'Q');
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

TEST(SystemKeyNames, KeypadKeysReadBackApartFromTheKeysThatShareTheirCodes) {
    // Each key writes a text no other key writes, which reads back as that
    // key, whatever names this system's layout gives them.
    const HotKeyNames names(SystemKeyNames());
    const HotKeyCode codes[] = {VK_DIVIDE,  VK_OEM_2,
                                VK_RETURN,  VK_RETURN | kKeypadBit,
                                VK_PRIOR,   VK_PRIOR | kKeypadBit,
                                VK_DELETE,  VK_DELETE | kKeypadBit,
                                VK_DECIMAL, VK_MULTIPLY,
                                VK_SNAPSHOT};
    std::set<std::u16string> texts;
    for (HotKeyCode code : codes) {
        const std::u16string text = HotKeyCodeToText(names, kCtrlBit | code);
        const std::string label(text.begin(), text.end());
        EXPECT_TRUE(texts.insert(text).second) << label;
        EXPECT_EQ(TextToHotKeyCode(names, text), kCtrlBit | code) << label;
    }
}

TEST(SystemKeyNames, TypedTextAndExtendedCodes) {
    const KeyNameSource& names = SystemKeyNames();
    EXPECT_EQ(names.TypedText('A', 0), u"a");
    EXPECT_EQ(names.TypedText('A', kModShift), u"A");
    EXPECT_TRUE(names.IsExtendedKey(VK_RCONTROL));
    EXPECT_FALSE(names.IsExtendedKey('A'));
    // The US layout has no AltGr: no Ctrl+Alt hotkey takes a character.
    if (reinterpret_cast<std::uintptr_t>(GetKeyboardLayout(0)) == 0x04090409) {
        for (HotKeyCode key : {'E', 'Q', '7'})
            EXPECT_EQ(CharacterTakenFromAltGr(HotKeyNames(names), kCtrlBit | kAltBit | key), u"");
    }
}

} // namespace
} // namespace keyvane

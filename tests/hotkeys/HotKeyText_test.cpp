// Hotkey codes and their text form, against a fixed Windows-like layout.
#include "hotkeys/FakeKeyNames.h"
#include "hotkeys/HotKeyManager.h"

#include <gtest/gtest.h>

namespace keyvane {
namespace {

using test::ScopedKeyNames;

TEST(HotKeyCode, MakeAndSplitAgree) {
    struct Case {
        std::uint16_t flags, key;
        HotKeyCode code;
    } cases[] = {
        {0, 0x41, 0x41},
        {kModAlt, 0x73, 0x8073},
        {kModControl | kModShift, 0x41, 0x6041},
        {kModWin, 0x4E, 0x1004E},
        {kModAlt | kModControl | kModShift | kModWin, 0xFF, 0x1E0FF},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MakeHotKeyCode(c.flags, c.key), c.code) << c.key;
        const HotKeyPair pair = SplitHotKeyCode(c.code);
        EXPECT_EQ(pair.flags, c.flags) << c.key;
        EXPECT_EQ(pair.key, c.key) << c.key;
    }
}

TEST(HotKeyCode, SplitIgnoresBitsOutsideTheLayout) {
    const HotKeyPair pair = SplitHotKeyCode(0xFFFE0000u | 0x1F00u | kCtrlBit | 0x41u);
    EXPECT_EQ(pair.flags, kModControl);
    EXPECT_EQ(pair.key, 0x41);
}

TEST(HotKeyCode, MediaKeys) {
    EXPECT_FALSE(IsMediaKey(0xA5));
    EXPECT_TRUE(IsMediaKey(0xA6));
    EXPECT_TRUE(IsMediaKey(0xB7));
    EXPECT_FALSE(IsMediaKey(0xB8));
    EXPECT_EQ(MediaKeyName(0xA6), u"Browser Back");
    EXPECT_EQ(MediaKeyName(0xAC), u"Browser Start/Home");
    EXPECT_EQ(MediaKeyName(0xB7), u"Start Application 2");
    EXPECT_EQ(MediaKeyName(0x41), u"");
}

TEST(HotKeyText, CodeToText) {
    ScopedKeyNames layout;
    struct Case {
        HotKeyCode code;
        std::u16string_view text;
    } cases[] = {
        {0, u""},
        {0x41, u"A"},
        {0x6041, u"Ctrl+Shift+A"},
        {0x8073, u"Alt+F4"},
        {0x1E041, u"Ctrl+Shift+Alt+Win+A"},
        {kCtrlBit | kAltBit | 46, u"Ctrl+Alt+Delete"}, // extended: not the keypad's name
        {kCtrlBit | 33, u"Ctrl+Page Up"},
        {kCtrlBit | 0xB3, u"Ctrl+Play/Pause Media"}, // one-letter system name
        {kCtrlBit | 0xAD, u"Ctrl+Volume Mute"},      // no system name
        {kCtrlBit | 0x07, u"Ctrl+"},                 // a key without a name
        {0x1F00 | 0x41, u"A"},                       // bits 8-12 are not modifiers
    };
    for (const Case& c : cases)
        EXPECT_EQ(HotKeyCodeToText(c.code), c.text) << c.code;
}

TEST(HotKeyText, TextToCode) {
    ScopedKeyNames layout;
    struct Case {
        std::u16string_view text;
        HotKeyCode code;
    } cases[] = {
        {u"", 0},
        {u"A", 0x41},
        {u"a", 0x41},
        {u"7", 0x37},
        {u"Ctrl+Shift+A", 0x6041},
        {u"ctrl+shift+a", 0x6041},
        {u"Shift+Ctrl+A", 0x6041}, // any modifier order
        {u"Alt+F4", 0x8073},
        {u"alt+f4", 0x8073},
        {u"Win+N", 0x1004E},
        {u"Ctrl+Alt+Delete", kCtrlBit | kAltBit | 46},
        {u"Ctrl+Num +", kCtrlBit | 107},
        {u"Ctrl+Num 5", kCtrlBit | 101},
        {u"Ctrl+Play/Pause Media", kCtrlBit | 0xB3},
        {u"Ctrl+,", kCtrlBit | 0xBC},
        {u"  Ctrl + Shift +  A  ", 0x6041}, // blanks around the words
        {u"Ctrl\r\nA", kCtrlBit | 0x41},    // line breaks split too
        {u"Ctrl++A", kCtrlBit | 0x41},      // empty pieces are dropped
        {u"Ctrl+Shift", 0},                 // a modifier word is never a key
        {u"Shift", 0},
        {u"shift", 0},
        {u"Ctrl+ctrl", 0},
        {u"Foo+A", 0}, // an unknown word spoils the text
        {u"Ctrl+Foo+A", 0},
        {u"Ctrl+Nonsense", 0},
        {u"Ctrl+\t", 0}, // nothing left of the key
        {u"+", 0},
        {u"Ctrl+\"A+B\"", 0}, // quoted: one piece, named by no key
        {u"Pause", 0x13},     // two keys share a name: the lower wins
        {u"Ctrl+Left Windows", kCtrlBit | 0x5B},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TextToHotKeyCode(c.text), c.code) << std::string(c.text.begin(), c.text.end());
    }
}

TEST(HotKeyText, TextOfEveryNamedKeyParsesBack) {
    ScopedKeyNames layout;
    for (HotKeyCode key = 8; key < 256; ++key) {
        for (HotKeyCode mods : {0u, kCtrlBit, kShiftBit | kAltBit, kWinBit | kCtrlBit}) {
            const HotKeyCode code = key | mods;
            const std::u16string text = HotKeyCodeToText(code);
            const std::u16string name = KeyNameOfCode(key);
            if (name.empty() || name.find(u'+') != std::u16string::npos || key == 0x10 ||
                key == 0x11 || key == 0x12 || key == 0x90 || key == 0xA0 || key == 0xA2 ||
                key == 0xBF)
                continue; // unnamed, modifier words, names shared with a lower key
            EXPECT_EQ(TextToHotKeyCode(text), code) << std::string(text.begin(), text.end());
        }
    }
}

TEST(HotKeyText, LocalModifierNamesFollowTheLayout) {
    ScopedKeyNames layout;
    layout.names.names[0x10] = u"Umschalt";
    layout.names.names[0x11] = u"Strg";
    layout.names.names[0x12] = u"Alt";
    layout.Install();
    EXPECT_EQ(LocalModifierNames().shift, u"Umschalt");
    EXPECT_EQ(LocalModifierNames().win, u"Win");
    EXPECT_EQ(HotKeyCodeToText(0x1E041), u"Strg+Umschalt+Alt+Win+A");
    // Both the layout's words and the English words are understood.
    EXPECT_EQ(TextToHotKeyCode(u"Strg+Umschalt+A"), 0x6041u);
    EXPECT_EQ(TextToHotKeyCode(u"Ctrl+Shift+A"), 0x6041u);
    EXPECT_EQ(TextToHotKeyCode(u"Strg"), 0u);

    // An Alt name in capitals alone makes the Win word capitals too.
    layout.names.names[0x12] = u"ALT";
    layout.Install();
    EXPECT_EQ(LocalModifierNames().win, u"WIN");
    EXPECT_EQ(HotKeyCodeToText(kWinBit | 0x41), u"WIN+A");
    layout.names.names.erase(0x12);
    layout.Install();
    EXPECT_EQ(LocalModifierNames().alt, u"");
    EXPECT_EQ(LocalModifierNames().win, u"WIN"); // the empty name counts as capitals
}

TEST(HotKeyText, NamesAreAskedOncePerLayout) {
    ScopedKeyNames layout;
    TextToHotKeyCode(u"Ctrl+F5");
    const int asked = layout.names.asked;
    for (int i = 0; i < 100; ++i) {
        TextToHotKeyCode(u"Ctrl+Page Down");
        HotKeyCodeToText(0x6041);
        ParseShortcutText(u"Ctrl+Home");
    }
    EXPECT_EQ(layout.names.asked, asked);

    // A new layout with other names is picked up at the next call.
    layout.names.names[0x41] = u"Q";
    layout.names.layout = 0x040C;
    EXPECT_EQ(HotKeyCodeToText(0x41), u"Q");
    EXPECT_GT(layout.names.asked, asked);
}

TEST(HotKeyText, ParseShortcutText) {
    ScopedKeyNames layout;
    struct Case {
        std::u16string_view text;
        std::uint16_t value;
    } cases[] = {
        {u"Shift+Ctrl+A", 0x6041},
        {u"^A", 0x4041},
        {u"ctrl+shift+a", 0x6041},
        {u"Win+A", 0},
        {u"Alt+F4", 0x8073},
        {u"Ctrl+F24", 0x4087},
        {u"Ctrl+Del", 0x402E},
        {u"Ctrl+PgDn", 0x4022},
        {u"Shift+BkSp", 0x2008},
        {u"Ctrl+5", 0x4035}, // the digit row before the keypad
        {u"Ctrl+Num 5", 0},  // the field names keypad digits by the digit only
        {u"Ctrl+Delete", 0}, // the column's name for Delete is not the field's
        {u"Ctrl+Page Up", 0},
        {u"Ctrl+Space", 0x4020},
        {u"Ctrl+,", 0x40BC},
        {u"Ctrl+Volume Mute", 0},   // no fallback names here
        {u"Shift+Shift+A", 0x2041}, // a repeated word adds nothing more
        {u"Ctrl+", 0},
        {u"", 0},
        {u"Ctrl+A ", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseShortcutText(c.text), c.value) << std::string(c.text.begin(), c.text.end());
}

} // namespace
} // namespace keyvane

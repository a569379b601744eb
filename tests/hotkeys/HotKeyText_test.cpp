// Hotkey codes and their text form, against a fixed Windows-like layout.
#include "FakeKeyNames.h"
#include "hotkeys/HotKeyText.h"

#include <gtest/gtest.h>

namespace keyvane {
namespace {

using test::FakeLayout;

TEST(HotKeyCode, ValuesSharedWithTheFileAndTheSystemAreFixed) {
    // The code bits are written into every task list as text; the flags are
    // the system's. The tests below name them, so they are pinned here.
    EXPECT_EQ(kShiftBit, 0x2000u);
    EXPECT_EQ(kCtrlBit, 0x4000u);
    EXPECT_EQ(kAltBit, 0x8000u);
    EXPECT_EQ(kWinBit, 0x10000u);
    EXPECT_EQ(kModAlt, 1);
    EXPECT_EQ(kModControl, 2);
    EXPECT_EQ(kModShift, 4);
    EXPECT_EQ(kModWin, 8);
    EXPECT_EQ(kHotKeyfShift, 0x01);
    EXPECT_EQ(kHotKeyfControl, 0x02);
    EXPECT_EQ(kHotKeyfAlt, 0x04);
    EXPECT_EQ(kHotKeyfExt, 0x08);
}

TEST(HotKeyCode, MakeAndSplitAgree) {
    struct Case {
        std::uint16_t flags, key; // MOD_ALT 1, MOD_CONTROL 2, MOD_SHIFT 4, MOD_WIN 8
        HotKeyCode code;
    } cases[] = {
        {0, 0x41, 0x41},
        {1, 0x73, 0x8073},
        {2 | 4, 0x41, 0x6041},
        {8, 0x4E, 0x1004E},
        {1 | 2 | 4 | 8, 0xFF, 0x1E0FF},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MakeHotKeyCode(c.flags, c.key), c.code) << c.key;
        const HotKeyPair pair = SplitHotKeyCode(c.code);
        EXPECT_EQ(pair.flags, c.flags) << c.key;
        EXPECT_EQ(pair.key, c.key) << c.key;
    }
}

TEST(HotKeyCode, SplitIgnoresBitsOutsideTheLayout) {
    const HotKeyPair pair = SplitHotKeyCode(0xFFFE0000u | 0x1F00u | 0x4000u | 0x41u);
    EXPECT_EQ(pair.flags, 2);
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
    FakeLayout layout;
    const HotKeyNames& names = layout.names;
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
        EXPECT_EQ(HotKeyCodeToText(names, c.code), c.text) << c.code;
}

TEST(HotKeyText, TextToCode) {
    FakeLayout layout;
    const HotKeyNames& names = layout.names;
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
        EXPECT_EQ(TextToHotKeyCode(names, c.text), c.code)
            << std::string(c.text.begin(), c.text.end());
    }
}

TEST(HotKeyText, TextOfEveryNamedKeyParsesBack) {
    FakeLayout layout;
    const HotKeyNames& names = layout.names;
    for (HotKeyCode key = 8; key < 256; ++key) {
        for (HotKeyCode mods : {0u, kCtrlBit, kShiftBit | kAltBit, kWinBit | kCtrlBit}) {
            const HotKeyCode code = key | mods;
            const std::u16string text = HotKeyCodeToText(names, code);
            const std::u16string name = names.KeyName(key);
            if (name.empty() || name.find(u'+') != std::u16string::npos || key == 0x10 ||
                key == 0x11 || key == 0x12 || key == 0x90 || key == 0xA0 || key == 0xA2 ||
                key == 0xBF)
                continue; // unnamed, modifier words, names shared with a lower key
            EXPECT_EQ(TextToHotKeyCode(names, text), code) << std::string(text.begin(), text.end());
        }
    }
}

TEST(HotKeyText, KeypadKeysAndTheirTwinsKeepNamesOfTheirOwn) {
    // Every key the user can press writes a text of its own that reads back
    // as that key; rows stored before read as they did, but for the keys
    // whose name another key had.
    FakeLayout layout;
    const HotKeyNames& names = layout.names;
    struct Case {
        HotKeyCode code;
        std::u16string_view text;
    } cases[] = {
        {kCtrlBit | 13, u"Ctrl+Enter"},
        {kCtrlBit | kKeypadBit | 13, u"Ctrl+Num Enter"},
        {kCtrlBit | 33, u"Ctrl+Page Up"},
        {kCtrlBit | kKeypadBit | 33, u"Ctrl+Num Page Up"}, // "Num 9" is the keypad digit's
        {kCtrlBit | 105, u"Ctrl+Num 9"},
        {kKeypadBit | 46, u"Num Delete"}, // "Num Del" is the decimal point's
        {110, u"Num Del"},
        {kCtrlBit | 0x6F, u"Ctrl+Num /"},
        {kCtrlBit | 0xBF, u"Ctrl+/"},        // read as the keypad's "/" once
        {kCtrlBit | 0x90, u"Ctrl+Num Lock"}, // was "Pause", Pause's name
        {kCtrlBit | 0x2C, u"Ctrl+Prnt Scrn"},
        {kCtrlBit | 0x5D, u"Ctrl+Application"}, // extended as the layout says
    };
    for (const Case& c : cases) {
        const std::string label(c.text.begin(), c.text.end());
        EXPECT_EQ(HotKeyCodeToText(names, c.code), c.text) << label;
        EXPECT_EQ(TextToHotKeyCode(names, c.text), c.code) << label;
    }
    EXPECT_EQ(HotKeyCodeToText(names, kKeypadBit | 'A'), u"A"); // no twin: the bit is dropped

    // Wine names the keypad's keys apart and reports no extended codes for
    // them; the keypad's "/" keeps its extended name all the same.
    layout.source.navigation[33].second = u"KP_Prior";
    layout.source.extendedKeys.clear();
    layout.Restart();
    EXPECT_EQ(HotKeyCodeToText(names, kKeypadBit | 33), u"KP_Prior");
    EXPECT_EQ(TextToHotKeyCode(names, u"kp_prior"), kKeypadBit | 33);
    EXPECT_EQ(HotKeyCodeToText(names, 0x6F), u"Num /");
}

TEST(HotKeyText, CharacterTakenFromAltGr) {
    FakeLayout layout;
    // What AltGr types on the fake layout, as on German and Polish ones.
    layout.source.typed = {
        {{'E', kModControl | kModAlt}, u"\u20AC"},
        {{'Q', kModControl | kModAlt}, u"@"},
        {{'7', kModControl | kModAlt}, u"{"},
        {{'A', kModShift | kModControl | kModAlt}, u"\u0104"},
        {{'C', kModControl | kModAlt}, u"\x03"},
        {{'E', kModControl}, u"\x05"},
    };
    struct Case {
        HotKeyCode code;
        std::u16string_view character;
    } cases[] = {
        {kCtrlBit | kAltBit | 'E', u"\u20AC"},
        {kCtrlBit | kAltBit | 'Q', u"@"},
        {kCtrlBit | kAltBit | '7', u"{"},
        {kCtrlBit | kAltBit | '1', u""},
        {kShiftBit | kCtrlBit | kAltBit | 'A', u"\u0104"}, // AltGr with Shift types too
        {kCtrlBit | kAltBit | 'A', u""},
        {kShiftBit | kCtrlBit | kAltBit | 'E', u""},
        {kWinBit | kCtrlBit | kAltBit | 'E', u""}, // AltGr never comes with Win
        {kCtrlBit | 'E', u""},
        {kAltBit | 'E', u""},
        {kCtrlBit | kAltBit | 'C', u""}, // a control character is no typing
    };
    for (const Case& c : cases)
        EXPECT_EQ(CharacterTakenFromAltGr(layout.names, c.code), c.character) << c.code;
    EXPECT_EQ(CharacterTakenFromAltGr(HotKeyNames(), kCtrlBit | kAltBit | 'E'), u"");
}

TEST(HotKeyText, LocalModifierNamesFollowTheLayout) {
    FakeLayout layout;
    const HotKeyNames& names = layout.names;
    layout.source.names[0x10] = u"Umschalt";
    layout.source.names[0x11] = u"Strg";
    layout.source.names[0x12] = u"Alt";
    layout.Restart();
    EXPECT_EQ(names.Modifiers().shift, u"Umschalt");
    EXPECT_EQ(names.Modifiers().win, u"Win");
    EXPECT_EQ(HotKeyCodeToText(names, 0x1E041), u"Strg+Umschalt+Alt+Win+A");
    // Both the layout's words and the English words are understood.
    EXPECT_EQ(TextToHotKeyCode(names, u"Strg+Umschalt+A"), 0x6041u);
    EXPECT_EQ(TextToHotKeyCode(names, u"Ctrl+Shift+A"), 0x6041u);
    EXPECT_EQ(TextToHotKeyCode(names, u"Strg"), 0u);

    // An Alt name in capitals alone makes the Win word capitals too.
    layout.source.names[0x12] = u"ALT";
    layout.Restart();
    EXPECT_EQ(names.Modifiers().win, u"WIN");
    EXPECT_EQ(HotKeyCodeToText(names, kWinBit | 0x41), u"WIN+A");
    layout.source.names.erase(0x12);
    layout.Restart();
    EXPECT_EQ(names.Modifiers().alt, u"");
    EXPECT_EQ(names.Modifiers().win, u"WIN"); // the empty name counts as capitals
}

TEST(HotKeyText, NamesAreAskedOncePerLayout) {
    FakeLayout layout;
    const HotKeyNames& names = layout.names;
    TextToHotKeyCode(names, u"Ctrl+F5");
    const int asked = layout.source.asked;
    for (int i = 0; i < 100; ++i) {
        TextToHotKeyCode(names, u"Ctrl+Page Down");
        HotKeyCodeToText(names, 0x6041);
        ParseShortcutText(names, u"Ctrl+Home");
    }
    EXPECT_EQ(layout.source.asked, asked);

    // A new layout with other names is picked up at the next call.
    layout.source.names[0x41] = u"Q";
    layout.source.layout = 0x040C;
    EXPECT_EQ(HotKeyCodeToText(names, 0x41), u"Q");
    EXPECT_GT(layout.source.asked, asked);
}

TEST(HotKeyText, ParseShortcutText) {
    FakeLayout layout;
    const HotKeyNames& names = layout.names;
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
        EXPECT_EQ(ParseShortcutText(names, c.text), c.value)
            << std::string(c.text.begin(), c.text.end());
}

TEST(HotKeyText, RowsWrittenWithTheLayoutsWordsComeBackIntoTheField) {
    // The Hotkey column holds the layout's modifier words; a row the field
    // cannot show would be stored back empty by the editor's OK.
    FakeLayout layout;
    const HotKeyNames& names = layout.names;
    layout.source.names[0x10] = u"Umschalt";
    layout.source.names[0x11] = u"Strg";
    layout.source.names[0x12] = u"Alt Gr"; // a word with a blank
    layout.Restart();
    struct Case {
        std::u16string_view text;
        std::uint16_t value;
        bool shown;
    } cases[] = {
        {u"Strg+Alt Gr+N", 0xC04E, true},
        {u"strg+umschalt+f5", 0x6074, true},
        {u"Ctrl+Shift+Alt+N", 0xE04E, true}, // the English words still
        {u"Strg+Alt Gr+Win+N", 0, false},    // the field holds no Win
        {u"Win+N", 0, false},
        {u"Strg+Entf", 0, false}, // a key name the field does not know
        {u"Strg+", 0, false},
        {u"Strg+Foo+N", 0, false},
        {u"", 0, false},
    };
    for (const Case& c : cases) {
        const std::string label(c.text.begin(), c.text.end());
        EXPECT_EQ(ParseShortcutText(names, c.text), c.value) << label;
        EXPECT_EQ(CanShowInHotKeyField(names, c.text), c.shown) << label;
    }
    // What the editor writes for the field's value reads back as that value.
    for (std::uint16_t value : {0xC04E, 0x6074, 0x2041, 0x8073})
        EXPECT_EQ(ParseShortcutText(names, HotKeyCodeToText(names, value)), value) << value;

    // Wine names Ctrl "Control".
    layout.source.names[0x11] = u"Control";
    layout.source.names[0x12] = u"Alt";
    layout.Restart();
    EXPECT_EQ(ParseShortcutText(names, u"Control+Alt+N"), 0xC04E);
    EXPECT_TRUE(CanShowInHotKeyField(names, u"Control+Alt+N"));
}

TEST(HotKeyField, ControlValueAndFieldValueConvertBothWays) {
    struct Case {
        std::uint16_t control, field;
    } cases[] = {
        // HOTKEYF_SHIFT 0x01, HOTKEYF_CONTROL 0x02, HOTKEYF_ALT 0x04 in the high byte.
        {0x0041, 0x0041}, {0x0141, 0x2041}, {0x0241, 0x4041}, {0x0473, 0x8073},
        {0x074E, 0xE04E}, {0x0A2E, 0x402E}, // Delete: extended, named as the column names it
        {0x0F21, 0xE021},                   // Page Up, every modifier
        {0x0260, 0x4060},                   // keypad 0: not extended
        {0x0000, 0x0000}, {0x020D, 0x400D}, // Enter
        {0x0A0D, 0x410D},                   // the keypad's Enter, extended
        {0x0221, 0x4121},                   // the keypad's Page Up (Num Lock off), not extended
        {0x0A6F, 0x406F},                   // the keypad's "/", extended by itself
    };
    for (const Case& c : cases) {
        EXPECT_EQ(HotKeyFieldFromControl(c.control), c.field) << c.control;
        EXPECT_EQ(HotKeyControlFromField(c.field), c.control) << c.field;
    }
    // One way only: the extended flag of a key that needs none is dropped,
    // and a value without a key is no hotkey.
    EXPECT_EQ(HotKeyFieldFromControl(0x0941), 0x2041);
    EXPECT_EQ(HotKeyFieldFromControl(0x0700), 0);
    EXPECT_EQ(HotKeyControlFromField(0xE000), 0);
    EXPECT_EQ(HotKeyControlFromField(0x1F41), 0x0041); // bits 8-12 are no modifiers
    EXPECT_EQ(HotKeyFieldFromControl(0x026F), 0x406F);
    EXPECT_EQ(HotKeyControlFromField(0x4141), 0x0241); // a keypad bit without a twin
}

} // namespace
} // namespace keyvane

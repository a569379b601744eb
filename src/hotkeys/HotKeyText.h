// Hotkey codes and their text form.
//
// A hotkey code is an unsigned 32-bit value: bits 0-7 the virtual key, 0x0100
// the numeric keypad's key of a virtual key it shares with the main block,
// 0x2000 Shift, 0x4000 Ctrl, 0x8000 Alt, 0x10000 Win; 0 means no hotkey. The
// text form ("Ctrl+Shift+A") is what the task table's Hotkey column holds; it
// uses the keyboard layout's own key and modifier names, which a HotKeyNames
// object holds. The editor's hotkey field holds the low 16 bits of a code
// (never Win).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace keyvane {

using HotKeyCode = std::uint32_t;

// Modifier bits of a hotkey code.
inline constexpr HotKeyCode kShiftBit = 0x2000;
inline constexpr HotKeyCode kCtrlBit = 0x4000;
inline constexpr HotKeyCode kAltBit = 0x8000;
inline constexpr HotKeyCode kWinBit = 0x10000;

// The keypad's Enter, and the keypad's Insert, Delete, Home, End, Page Up,
// Page Down and arrows (Num Lock off), have the virtual keys of main-block
// keys. The system's hotkeys cannot tell the two apart: RegisterHotKey takes
// a virtual key, and WM_HOTKEY reports one. The bit only keeps the key the
// user pressed in the text, so the row names that key; registration and a
// press ignore it. It is dropped from a key that has no keypad twin.
inline constexpr HotKeyCode kKeypadBit = 0x0100;

// Modifier flags of the system's registration call (MOD_ALT ...).
inline constexpr std::uint16_t kModAlt = 1;
inline constexpr std::uint16_t kModControl = 2;
inline constexpr std::uint16_t kModShift = 4;
inline constexpr std::uint16_t kModWin = 8;

// Modifier flags of the system's hotkey control, in the high byte of its
// value (HOTKEYF_SHIFT ...). The control has no flag for Win.
inline constexpr std::uint8_t kHotKeyfShift = 0x01;
inline constexpr std::uint8_t kHotKeyfControl = 0x02;
inline constexpr std::uint8_t kHotKeyfAlt = 0x04;
// The key was an extended one: the control names it by the extended scan code.
inline constexpr std::uint8_t kHotKeyfExt = 0x08;

// The layout's words for the modifiers in produced text.
struct ModifierNames {
    std::u16string shift = u"Shift";
    std::u16string ctrl = u"Ctrl";
    std::u16string alt = u"Alt";
    std::u16string win = u"Win";
};

// One modifier in each of its forms, in the order text names them.
struct Modifier {
    HotKeyCode bit;
    std::uint16_t flag;       // registration flag
    std::uint8_t controlFlag; // hotkey control flag; 0: the control cannot hold it
    std::u16string_view word; // the English word, which the parsers always accept
    std::u16string ModifierNames::*layoutWord;
};
inline constexpr std::array<Modifier, 4> kModifiers = {{
    {kCtrlBit, kModControl, kHotKeyfControl, u"Ctrl", &ModifierNames::ctrl},
    {kShiftBit, kModShift, kHotKeyfShift, u"Shift", &ModifierNames::shift},
    {kAltBit, kModAlt, kHotKeyfAlt, u"Alt", &ModifierNames::alt},
    {kWinBit, kModWin, 0, u"Win", &ModifierNames::win},
}};

// ---------------------------------------------------------------------------
// Codes

struct HotKeyPair {
    std::uint16_t flags; // kModAlt | kModControl | kModShift | kModWin
    std::uint16_t key;   // virtual key, 0-255
};

// Whether input of the virtual key says extended: the navigation block
// (not its keypad twins), the keypad's Enter and "/", Print Screen, Break,
// Num Lock, right Ctrl and Alt, the Windows, Applications and media keys.
bool IsExtendedVirtualKey(std::uint16_t key, bool keypad);

HotKeyCode MakeHotKeyCode(std::uint16_t flags, std::uint16_t key);
// Bits 8-12 (the keypad bit among them) and 17-31 are ignored.
HotKeyPair SplitHotKeyCode(HotKeyCode code);

// Whether the virtual key has a twin on the numeric keypad (Enter, Insert,
// Delete, Home, End, Page Up, Page Down, the arrows).
bool HasKeypadTwin(std::uint16_t key);

bool IsMediaKey(std::uint16_t key);
// The fallback name of keys 0xA6-0xB7; empty for any other key.
std::u16string_view MediaKeyName(std::uint16_t key);

// The editor field's value (key plus 0x0100 keypad, 0x2000 Shift, 0x4000
// Ctrl, 0x8000 Alt) of the system hotkey control's value (key in the low
// byte, HOTKEYF flags in the high byte), and back. A value without a key is
// no hotkey: 0. The control's extended flag tells a keypad twin from its
// main-block key (the keypad's Enter is extended, its navigation keys are
// not), and is set for the keys extended by themselves (the keypad's "/",
// Num Lock), so the control shows the same name as the Hotkey column.
std::uint16_t HotKeyFieldFromControl(std::uint16_t controlValue);
std::uint16_t HotKeyControlFromField(std::uint16_t fieldValue);

// ---------------------------------------------------------------------------
// Key names

// The key names of the keyboard layout in use, and what its keys type.
// Windows asks the system; the tests use a fixed table.
class KeyNameSource {
  public:
    virtual ~KeyNameSource() = default;
    // The layout's display name of the key on the virtual key's scan code,
    // with the extended-key prefix when extended; empty when it has none.
    virtual std::u16string KeyName(std::uint8_t key, bool extended) const = 0;
    // Whether the layout maps the virtual key to an extended scan code.
    virtual bool IsExtendedKey(std::uint8_t key) const = 0;
    // What the key types with these modifiers (kModShift, kModControl,
    // kModAlt) on the layout the user types with now; a dead key gives its
    // own character. Empty when it types nothing.
    virtual std::u16string TypedText(std::uint8_t key, std::uint16_t flags) const = 0;
    // Changes whenever the names may change (a new keyboard layout); the
    // names are asked for again only then.
    virtual std::uintptr_t LayoutId() const = 0;
    // The keyboard layouts the user has installed, the one in use
    // (LayoutId) first. Text written while another one was in use names
    // that layout's keys ("Ctrl+Й" on a Russian one).
    virtual std::vector<std::uintptr_t> InstalledLayouts() const { return {LayoutId()}; }
    // The name a key that types a character goes by on one of those
    // layouts: the character it types alone, in capitals. Empty when it
    // types none there.
    virtual std::u16string CharacterKeyName(std::uint8_t key, std::uintptr_t layout) const {
        (void)key;
        (void)layout;
        return {};
    }
};

// The names hotkey text is written and read with: the modifier words, fixed
// when the object is made (once, at program start), and one table of key
// names per installed layout, asked of the source once per layout and kept,
// since parsing looks keys up by name. The first table, the layout in use,
// is the one text is written with; a name it lacks is looked up in the
// others', so a row keeps working after the user switches layouts.
// Producing and parsing text use the same object, so the text the program
// writes reads back.
class HotKeyNames {
  public:
    // No layout: no key has a name, and the modifier words are the English ones.
    HotKeyNames() = default;
    // Takes the layout's names of Shift, Ctrl and Alt from the source; Win
    // becomes "WIN" when the Alt name is all capital letters A-Z. The source
    // must outlive this object.
    explicit HotKeyNames(const KeyNameSource& source);

    const ModifierNames& Modifiers() const { return modifiers_; }

    // The name of the key alone (bits 0-7 and the keypad bit), as it appears
    // at the end of text.
    std::u16string KeyName(HotKeyCode code) const;
    // The first key from 8 up whose name equals the word, ASCII letter case
    // aside, else the keypad twin of that name (key plus kKeypadBit); else
    // the first key that the other installed layouts give that name; 0 when
    // none does.
    std::uint16_t KeyByName(std::u16string_view word) const;
    // The same by the editor field's own, shorter key names.
    std::uint16_t KeyByShortcutName(std::u16string_view word) const;
    // What the source says the key types with the modifiers; empty without
    // a source. Asked anew each time: the user may switch layouts.
    std::u16string TypedText(std::uint8_t key, std::uint16_t flags) const;

  private:
    struct Table {
        std::array<std::u16string, 256> names;    // key names as text shows them
        std::array<std::u16string, 256> folded;   // the same, ASCII lower case
        std::array<std::u16string, 256> shortcut; // the editor field's names, lower case
        std::array<std::u16string, 256> keypad;   // keypad twins' names; empty: no twin
        std::array<std::u16string, 256> keypadFolded;
    };
    const Table& Names() const;
    // The folded names of the other installed layouts, asked for only when
    // the layout in use has no key of a name: a cheap first try for the
    // registration pass over thousands of rows.
    const std::vector<std::array<std::u16string, 256>>& OtherLayoutNames() const;

    const KeyNameSource* source_ = nullptr;
    ModifierNames modifiers_;
    // Caches filled on first use: one user-interface thread, no lock.
    mutable Table table_;
    mutable std::uintptr_t tableLayout_ = 0;
    mutable bool tableBuilt_ = false;
    mutable std::vector<std::array<std::u16string, 256>> others_;
    mutable std::vector<std::uintptr_t> othersLayouts_; // in use first, as others_ was built
};

// Windows only (HotKeyText_win32.cpp): the layout's key names through
// MapVirtualKeyW and GetKeyNameTextW, typed text through ToUnicodeEx, the
// installed layouts through GetKeyboardLayoutList and their characters
// through MapVirtualKeyExW and ToUnicodeEx.
const KeyNameSource& SystemKeyNames();

// ---------------------------------------------------------------------------
// Text

// "Ctrl+Shift+Alt+Win+" as far as set, then the key's name. Code 0 gives "".
std::u16string HotKeyCodeToText(const HotKeyNames& names, HotKeyCode code);
// The code of a text such as "Ctrl+Alt+N"; 0 when it is not a valid hotkey.
// Modifier words are taken in English and in the layout's words.
HotKeyCode TextToHotKeyCode(const HotKeyNames& names, std::u16string_view text);
// The editor field's value (key plus 0x2000 Shift, 0x4000 Ctrl, 0x8000 Alt)
// of stored text, by the field's own shorter key names; 0 when nothing
// matches. Modifier words are taken in English ("Shift+", "Ctrl+" or "^",
// "Alt+") and in the layout's words that HotKeyCodeToText writes.
std::uint16_t ParseShortcutText(const HotKeyNames& names, std::u16string_view text);
// Whether the editor's hotkey field can show a row's hotkey text: it parses
// to a field value and has no Win modifier, which the field cannot hold. When
// it cannot, the editor must keep the row's text rather than store the
// field's empty value.
bool CanShowInHotKeyField(const HotKeyNames& names, std::u16string_view text);

// The character a Ctrl+Alt hotkey (Shift or not, no Win) takes away from
// typing: Windows reports AltGr as Ctrl+Alt, so a hotkey on keys that AltGr
// makes type a character swallows that character in every program. Empty
// for any other hotkey, and when the keys type nothing or only a control
// character.
std::u16string CharacterTakenFromAltGr(const HotKeyNames& names, HotKeyCode code);

} // namespace keyvane

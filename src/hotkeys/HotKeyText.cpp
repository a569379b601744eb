// Hotkey codes and their text form. Nothing here touches the system: key
// names come through the KeyNameSource a HotKeyNames object was made from.
#include "hotkeys/HotKeyText.h"

#include "base/Text.h"

#include <algorithm>

namespace keyvane {

namespace {

constexpr std::array<std::u16string_view, 18> kMediaKeyNames = {
    u"Browser Back",        u"Browser Forward",    u"Browser Refresh",    u"Browser Stop",
    u"Browser Search",      u"Browser Favorites",  u"Browser Start/Home", u"Volume Mute",
    u"Volume Down",         u"Volume Up",          u"Next Track",         u"Previous Track",
    u"Stop Media",          u"Play/Pause Media",   u"Start Mail",         u"Select Media",
    u"Start Application 1", u"Start Application 2"};

// Page Up to Down arrow, Insert and Delete: the navigation block, whose keys
// send extended scan codes. The numeric keypad (Num Lock off) sends the same
// virtual keys on the plain scan codes, which the system names as keypad keys.
bool IsNavigationKey(unsigned key) {
    return (key >= 33 && key <= 40) || key == 45 || key == 46;
}

// The keys the system documents as extended that have a virtual key of their
// own: the navigation block, Print Screen, the keypad's "/", Num Lock and the
// right Ctrl and Alt. Named by their plain scan code, they would take the
// name of another key ("/" of the main block, "Num *", "Pause"). The layout
// may add more (the Windows keys, media keys).
bool IsExtendedKey(unsigned key) {
    return IsNavigationKey(key) || key == 0x2C || key == 0x6F || key == 0x90 || key == 0xA3 ||
           key == 0xA5;
}

// Whether the key a field value names (its keypad bit included) sends the
// extended scan code: the keypad's Enter does, its navigation keys do not.
bool SendsExtendedCode(std::uint16_t value) {
    const unsigned key = value & 0xFF;
    const bool keypad = (value & kKeypadBit) != 0;
    if (key == 13) return keypad;
    if (IsNavigationKey(key)) return !keypad;
    return IsExtendedKey(key);
}

// Digits, letters and the punctuation keys: what they type, and so their
// names, depend on the layout (the Russian one has letters on ";" and ",").
bool TypesCharacter(unsigned key) {
    return (key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z') ||
           (key >= 0xBA && key <= 0xC0) || (key >= 0xDB && key <= 0xDF) || key == 0xE2;
}

constexpr char16_t kKeypadPrefix[] = u"Num ";

std::u16string ShortcutNameOf(unsigned key, const std::u16string& layoutName) {
    switch (key) {
    case 8:
        return u"BkSp";
    case 9:
        return u"Tab";
    case 13:
        return u"Enter";
    case 27:
        return u"Esc";
    case 32:
        return u"Space";
    case 33:
        return u"PgUp";
    case 34:
        return u"PgDn";
    case 35:
        return u"End";
    case 36:
        return u"Home";
    case 37:
        return u"Left";
    case 38:
        return u"Up";
    case 39:
        return u"Right";
    case 40:
        return u"Down";
    case 45:
        return u"Ins";
    case 46:
        return u"Del";
    default:
        break;
    }
    if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z'))
        return std::u16string(1, static_cast<char16_t>(key));
    if (key >= 96 && key <= 105) return std::u16string(1, static_cast<char16_t>(u'0' + key - 96));
    if (key >= 112 && key <= 135) {
        std::u16string name = u"F";
        for (char c : std::to_string(key - 111))
            name += static_cast<char16_t>(c);
        return name;
    }
    // The layout's name, as the Hotkey column shows it.
    return layoutName;
}

// The first key from 8 up whose name equals the word, letter case aside.
std::uint16_t FindKey(const std::array<std::u16string, 256>& foldedNames,
                      std::u16string_view word) {
    for (unsigned key = 8; key < 256; ++key) {
        const std::u16string& name = foldedNames[key];
        if (name.size() != word.size()) continue;
        std::size_t i = 0;
        while (i < word.size() && AsciiLower(word[i]) == name[i])
            ++i;
        if (i == word.size()) return static_cast<std::uint16_t>(key);
    }
    return 0;
}

} // namespace

bool IsExtendedVirtualKey(std::uint16_t key, bool keypad) {
    // Keys the layout names itself, whose input must still say extended:
    // Break, the Windows and Applications keys, the browser, volume and
    // media keys.
    if (key == 0x03 || (key >= 0x5B && key <= 0x5D) || (key >= 0xA6 && key <= 0xB7)) return true;
    return SendsExtendedCode(static_cast<std::uint16_t>((key & 0xFF) | (keypad ? kKeypadBit : 0)));
}

HotKeyCode MakeHotKeyCode(std::uint16_t flags, std::uint16_t key) {
    HotKeyCode code = key;
    for (const Modifier& m : kModifiers)
        if (flags & m.flag) code += m.bit;
    return code;
}

bool HasKeypadTwin(std::uint16_t key) {
    return key == 13 || IsNavigationKey(key);
}

HotKeyPair SplitHotKeyCode(HotKeyCode code) {
    HotKeyPair pair{0, static_cast<std::uint16_t>(code & 0xFF)};
    for (const Modifier& m : kModifiers)
        if (code & m.bit) pair.flags |= m.flag;
    return pair;
}

bool IsMediaKey(std::uint16_t key) {
    return key >= 0xA6 && key <= 0xB7;
}

std::u16string_view MediaKeyName(std::uint16_t key) {
    return IsMediaKey(key) ? kMediaKeyNames[key - 0xA6] : std::u16string_view();
}

std::uint16_t HotKeyFieldFromControl(std::uint16_t controlValue) {
    const std::uint16_t key = controlValue & 0xFF;
    if (key == 0) return 0;
    const unsigned controlFlags = controlValue >> 8;
    std::uint16_t value = key;
    // The extended flag tells twins apart; other keys are extended or not
    // by themselves.
    if (HasKeypadTwin(key) && ((controlFlags & kHotKeyfExt) != 0) != SendsExtendedCode(key))
        value |= kKeypadBit;
    for (const Modifier& m : kModifiers)
        if (m.controlFlag != 0 && (controlFlags & m.controlFlag)) value |= m.bit;
    return value;
}

std::uint16_t HotKeyControlFromField(std::uint16_t fieldValue) {
    const std::uint16_t key = fieldValue & 0xFF;
    if (key == 0) return 0;
    unsigned controlFlags = SendsExtendedCode(fieldValue & (0xFF | kKeypadBit)) ? kHotKeyfExt : 0;
    for (const Modifier& m : kModifiers)
        if (m.controlFlag != 0 && (fieldValue & m.bit)) controlFlags |= m.controlFlag;
    return static_cast<std::uint16_t>(controlFlags << 8 | key);
}

HotKeyNames::HotKeyNames(const KeyNameSource& source) : source_(&source) {
    modifiers_.shift = KeyName(0x10);
    modifiers_.ctrl = KeyName(0x11);
    modifiers_.alt = KeyName(0x12);
    const bool altAllCapitals = std::all_of(modifiers_.alt.begin(), modifiers_.alt.end(),
                                            [](char16_t c) { return c >= u'A' && c <= u'Z'; });
    modifiers_.win = altAllCapitals ? u"WIN" : u"Win";
}

const HotKeyNames::Table& HotKeyNames::Names() const {
    const std::uintptr_t layout = source_ ? source_->LayoutId() : 0;
    if (tableBuilt_ && tableLayout_ == layout) return table_;
    for (unsigned key = 0; key < 256; ++key) {
        const auto k = static_cast<std::uint8_t>(key);
        std::u16string name;
        // The extended code where the key has one: the plain code of such a
        // key is another key's.
        if (source_) name = source_->KeyName(k, IsExtendedKey(key) || source_->IsExtendedKey(k));
        table_.shortcut[key] = AsciiLowered(ShortcutNameOf(key, name));
        if (name.size() <= 1 && IsMediaKey(k)) name = std::u16string(MediaKeyName(k));
        table_.folded[key] = AsciiLowered(name);
        table_.names[key] = std::move(name);
    }
    // A keypad twin goes by the layout's name of its own scan code, unless
    // that names another key too (a keypad digit shares its scan code with
    // the navigation key of Num Lock off); then by "Num " and the main
    // key's name. A name that stays ambiguous leaves the twin without one.
    table_.keypad.fill({});
    table_.keypadFolded.fill({});
    const auto isFree = [this](const std::u16string& folded) {
        return !folded.empty() && FindKey(table_.folded, folded) == 0 &&
               FindKey(table_.keypadFolded, folded) == 0;
    };
    for (unsigned key = 0; key < 256 && source_; ++key) {
        if (!HasKeypadTwin(static_cast<std::uint16_t>(key))) continue;
        std::u16string name =
            source_->KeyName(static_cast<std::uint8_t>(key), SendsExtendedCode(key | kKeypadBit));
        if (!isFree(AsciiLowered(name)))
            name = table_.names[key].empty() ? std::u16string() : kKeypadPrefix + table_.names[key];
        if (!isFree(AsciiLowered(name))) continue;
        table_.keypadFolded[key] = AsciiLowered(name);
        table_.keypad[key] = std::move(name);
    }
    tableLayout_ = layout;
    tableBuilt_ = true;
    return table_;
}

std::u16string HotKeyNames::KeyName(HotKeyCode code) const {
    const Table& table = Names();
    const std::u16string& keypad = table.keypad[code & 0xFF];
    if ((code & kKeypadBit) && !keypad.empty()) return keypad;
    return table.names[code & 0xFF];
}

std::uint16_t HotKeyNames::KeyByName(std::u16string_view word) const {
    const Table& table = Names();
    if (const std::uint16_t key = FindKey(table.folded, word)) return key;
    if (const std::uint16_t twin = FindKey(table.keypadFolded, word))
        return static_cast<std::uint16_t>(twin | kKeypadBit);
    for (const auto& folded : OtherLayoutNames())
        if (const std::uint16_t key = FindKey(folded, word)) return key;
    return 0;
}

const std::vector<std::array<std::u16string, 256>>& HotKeyNames::OtherLayoutNames() const {
    if (!source_) return others_;
    std::vector<std::uintptr_t> layouts = source_->InstalledLayouts();
    if (layouts == othersLayouts_) return others_;
    others_.clear();
    const std::uintptr_t inUse = source_->LayoutId();
    for (const std::uintptr_t layout : layouts) {
        if (layout == inUse) continue;
        // Only the keys that type a character differ between layouts; the
        // rest go by the same names in the table of the layout in use.
        std::array<std::u16string, 256>& folded = others_.emplace_back();
        for (unsigned key = 0; key < 256; ++key)
            if (TypesCharacter(key))
                folded[key] =
                    AsciiLowered(source_->CharacterKeyName(static_cast<std::uint8_t>(key), layout));
    }
    othersLayouts_ = std::move(layouts);
    return others_;
}

std::uint16_t HotKeyNames::KeyByShortcutName(std::u16string_view word) const {
    return FindKey(Names().shortcut, word);
}

std::u16string HotKeyNames::TypedText(std::uint8_t key, std::uint16_t flags) const {
    return source_ ? source_->TypedText(key, flags) : std::u16string();
}

std::u16string HotKeyCodeToText(const HotKeyNames& names, HotKeyCode code) {
    if (code == 0) return {};
    std::u16string text;
    for (const Modifier& m : kModifiers) {
        if (code & m.bit) {
            text += names.Modifiers().*m.layoutWord;
            text += u'+';
        }
    }
    return text + names.KeyName(code);
}

std::u16string CharacterTakenFromAltGr(const HotKeyNames& names, HotKeyCode code) {
    if ((code & (kCtrlBit | kAltBit | kWinBit)) != (kCtrlBit | kAltBit)) return {};
    const HotKeyPair pair = SplitHotKeyCode(code);
    std::u16string text = names.TypedText(static_cast<std::uint8_t>(pair.key), pair.flags);
    // Ctrl makes some keys give a control character, which nobody types as text.
    const bool control =
        std::any_of(text.begin(), text.end(), [](char16_t c) { return c < u' ' || c == 0x7F; });
    return control ? std::u16string() : text;
}

} // namespace keyvane

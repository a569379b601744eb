// Hotkey codes, their text form and the registration bookkeeping. Nothing
// here touches the system directly: key names come from a KeyNameSource and
// registrations go through a HotKeySystem.
#include "hotkeys/HotKeyManager.h"

#include "tasks/TaskTable.h"
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

// Page Up to Down arrow, Insert and Delete sit in the extended key block; the
// system names the numeric keypad's keys on the same scan codes otherwise.
bool IsExtendedKey(unsigned key) {
    return (key >= 33 && key <= 40) || key == 45 || key == 46;
}

// The names of all 256 keys for one layout. Asking the system for a name is a
// call per key, and parsing text looks keys up by name, so the names are
// asked for once per layout and kept.
struct NameTable {
    unsigned generation = 0;
    std::uintptr_t layout = 0;
    bool built = false;
    std::array<std::u16string, 256> names;    // key names as text shows them
    std::array<std::u16string, 256> folded;   // the same, ASCII lower case
    std::array<std::u16string, 256> shortcut; // the editor field's names, lower case
};

const KeyNameSource* gSource = nullptr;
// Bumped by every SetKeyNameSource: an installed source is asked afresh.
unsigned gSourceGeneration = 1;
ModifierNames gModifierNames;

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
    // None of the extended keys reaches here, so the layout's name is the one
    // of the plain scan code.
    return layoutName;
}

const NameTable& Names() {
    static NameTable table;
    const std::uintptr_t layout = gSource ? gSource->LayoutId() : 0;
    if (table.built && table.generation == gSourceGeneration && table.layout == layout)
        return table;
    for (unsigned key = 0; key < 256; ++key) {
        std::u16string name;
        if (gSource) name = gSource->KeyName(static_cast<std::uint8_t>(key), IsExtendedKey(key));
        table.shortcut[key] = AsciiLowered(ShortcutNameOf(key, name));
        if (name.size() <= 1 && IsMediaKey(static_cast<std::uint16_t>(key)))
            name = std::u16string(MediaKeyName(static_cast<std::uint16_t>(key)));
        table.folded[key] = AsciiLowered(name);
        table.names[key] = std::move(name);
    }
    table.generation = gSourceGeneration;
    table.layout = layout;
    table.built = true;
    return table;
}

// The first key from 8 up whose name equals the word, letter case aside.
std::uint16_t KeyByName(const std::array<std::u16string, 256>& foldedNames,
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

bool IsTrimmed(char16_t c) {
    return c <= u' ';
}

std::u16string_view Trimmed(std::u16string_view s) {
    while (!s.empty() && IsTrimmed(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsTrimmed(s.back()))
        s.remove_suffix(1);
    return s;
}

// Reads the pieces of hotkey text: split at "+", CR and LF, except inside a
// run quoted with ' or "; leading blanks and line breaks skipped, empty
// pieces dropped, each piece trimmed.
class PieceReader {
  public:
    explicit PieceReader(std::u16string_view text) : text_(text) {}

    bool Next(std::u16string_view& piece) {
        while (pos_ < text_.size()) {
            while (pos_ < text_.size() &&
                   (text_[pos_] == u' ' || text_[pos_] == u'\r' || text_[pos_] == u'\n'))
                ++pos_;
            const std::size_t head = pos_;
            char16_t quote = 0;
            while (pos_ < text_.size()) {
                const char16_t c = text_[pos_];
                if (quote != 0) {
                    if (c == quote) quote = 0;
                } else if (c == u'\'' || c == u'"') {
                    quote = c;
                } else if (c == u'+' || c == u'\r' || c == u'\n') {
                    break;
                }
                ++pos_;
            }
            const std::size_t end = pos_;
            ++pos_; // the separator
            if (end > head) {
                piece = Trimmed(text_.substr(head, end - head));
                return true;
            }
        }
        return false;
    }

  private:
    std::u16string_view text_;
    std::size_t pos_ = 0;
};

std::uint16_t ModifierFlagOfWord(std::u16string_view word) {
    // A layout may give a modifier no name; nothing then is that word.
    if (word.empty()) return 0;
    const ModifierNames& m = gModifierNames;
    if (EqualsIgnoreAsciiCase(word, u"Shift") || EqualsIgnoreAsciiCase(word, m.shift))
        return kModShift;
    if (EqualsIgnoreAsciiCase(word, u"Ctrl") || EqualsIgnoreAsciiCase(word, m.ctrl))
        return kModControl;
    if (EqualsIgnoreAsciiCase(word, u"Alt") || EqualsIgnoreAsciiCase(word, m.alt)) return kModAlt;
    if (EqualsIgnoreAsciiCase(word, u"Win") || EqualsIgnoreAsciiCase(word, m.win)) return kModWin;
    return 0;
}

std::uint16_t KeyOfWord(std::u16string_view word) {
    // A piece of only control characters trims to nothing; it names no key
    // (an unnamed key must not be picked by its empty name).
    if (word.empty()) return 0;
    if (word.size() == 1) {
        const char16_t c = AsciiUpper(word[0]);
        if ((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z')) return c;
        return KeyByName(Names().folded, word);
    }
    // The numeric keypad's plus key is named "Num +"; the split cut it apart.
    if (word == u"Num") word = u"Num +";
    // A modifier word is never a key, in whatever letter case it is written.
    if (ModifierFlagOfWord(word) != 0) return 0;
    return KeyByName(Names().folded, word);
}

bool StartsWithIgnoreAsciiCase(std::u16string_view text, std::u16string_view prefix) {
    return text.size() >= prefix.size() &&
           EqualsIgnoreAsciiCase(text.substr(0, prefix.size()), prefix);
}

} // namespace

HotKeyCode MakeHotKeyCode(std::uint16_t flags, std::uint16_t key) {
    HotKeyCode code = key;
    if (flags & kModAlt) code += kAltBit;
    if (flags & kModControl) code += kCtrlBit;
    if (flags & kModShift) code += kShiftBit;
    if (flags & kModWin) code += kWinBit;
    return code;
}

HotKeyPair SplitHotKeyCode(HotKeyCode code) {
    HotKeyPair pair{0, static_cast<std::uint16_t>(code & 0xFF)};
    if (code & kWinBit) pair.flags |= kModWin;
    if (code & kAltBit) pair.flags |= kModAlt;
    if (code & kCtrlBit) pair.flags |= kModControl;
    if (code & kShiftBit) pair.flags |= kModShift;
    return pair;
}

bool IsMediaKey(std::uint16_t key) {
    return key >= 0xA6 && key <= 0xB7;
}

std::u16string_view MediaKeyName(std::uint16_t key) {
    return IsMediaKey(key) ? kMediaKeyNames[key - 0xA6] : std::u16string_view();
}

void SetKeyNameSource(const KeyNameSource* source) {
    gSource = source;
    ++gSourceGeneration;
}

const ModifierNames& LocalModifierNames() {
    return gModifierNames;
}

void SetUpLocalModifierNames() {
    gModifierNames.shift = KeyNameOfCode(0x10);
    gModifierNames.ctrl = KeyNameOfCode(0x11);
    gModifierNames.alt = KeyNameOfCode(0x12);
    const bool altAllCapitals = std::all_of(gModifierNames.alt.begin(), gModifierNames.alt.end(),
                                            [](char16_t c) { return c >= u'A' && c <= u'Z'; });
    gModifierNames.win = altAllCapitals ? u"WIN" : u"Win";
}

void ResetLocalModifierNames() {
    gModifierNames = ModifierNames{};
}

std::u16string KeyNameOfCode(HotKeyCode code) {
    return Names().names[code & 0xFF];
}

std::u16string HotKeyCodeToText(HotKeyCode code) {
    if (code == 0) return {};
    std::u16string text;
    const ModifierNames& m = gModifierNames;
    if (code & kCtrlBit) text += m.ctrl + u"+";
    if (code & kShiftBit) text += m.shift + u"+";
    if (code & kAltBit) text += m.alt + u"+";
    if (code & kWinBit) text += m.win + u"+";
    return text + KeyNameOfCode(code);
}

HotKeyCode TextToHotKeyCode(std::u16string_view text) {
    PieceReader reader(text);
    std::u16string_view piece;
    if (!reader.Next(piece)) return 0;
    std::uint16_t flags = 0;
    std::u16string_view next;
    while (reader.Next(next)) {
        // Every piece before the last is a modifier word; an unknown word
        // spoils the whole text.
        const std::uint16_t flag = ModifierFlagOfWord(piece);
        if (flag == 0) return 0;
        flags |= flag;
        piece = next;
    }
    const std::uint16_t key = KeyOfWord(piece);
    return key == 0 ? 0 : MakeHotKeyCode(flags, key);
}

std::uint16_t ParseShortcutText(std::u16string_view text) {
    std::uint16_t bits = 0;
    for (;;) {
        if (StartsWithIgnoreAsciiCase(text, u"Shift+")) {
            bits |= kShiftBit;
            text.remove_prefix(6);
        } else if (StartsWithIgnoreAsciiCase(text, u"^")) {
            bits |= kCtrlBit;
            text.remove_prefix(1);
        } else if (StartsWithIgnoreAsciiCase(text, u"Ctrl+")) {
            bits |= kCtrlBit;
            text.remove_prefix(5);
        } else if (StartsWithIgnoreAsciiCase(text, u"Alt+")) {
            bits |= kAltBit;
            text.remove_prefix(4);
        } else {
            break;
        }
    }
    if (text.empty()) return 0;
    const std::uint16_t key = KeyByName(Names().shortcut, text);
    return key == 0 ? 0 : static_cast<std::uint16_t>(key | bits);
}

// ---------------------------------------------------------------------------

std::u16string RegistrationAtomName(HotKeyCode code) {
    std::u16string name = u"HotKeyManagerHotKey";
    for (char c : std::to_string(code))
        name += static_cast<char16_t>(c);
    return name;
}

THotKeyManager::THotKeyManager(std::unique_ptr<HotKeySystem> system) : system_(std::move(system)) {
    system_->Attach(*this);
}

THotKeyManager::~THotKeyManager() {
    ReleaseAllRegistrations();
    system_.reset();
}

std::uint16_t THotKeyManager::AddRegistration(HotKeyCode code) {
    // The system would refuse a pair this window holds already; asking it
    // anyway is a wasted atom reference per row on every pass.
    if (code == 0 || HasRegistration(code)) return 0;
    const HotKeyPair pair = SplitHotKeyCode(code);
    const std::uint16_t id = system_->AddGlobalAtom(RegistrationAtomName(code));
    if (id == 0) return 0;
    // Without no-repeat, a held key sends a stream of presses and one long
    // press starts a program dozens of times.
    if (!system_->RegisterHotKey(id, pair.flags | kModNoRepeat, pair.key)) {
        system_->DeleteGlobalAtom(id);
        return 0;
    }
    registrations_.push_back({code, id});
    codes_.insert(code);
    return id;
}

bool THotKeyManager::ReleaseRegistration(HotKeyCode code) {
    const auto it = std::find_if(registrations_.rbegin(), registrations_.rend(),
                                 [code](const HotKeyRegistration& r) { return r.Code == code; });
    if (it == registrations_.rend()) return false;
    const std::uint16_t id = it->Id;
    registrations_.erase(std::next(it).base());
    codes_.erase(code);
    const bool released = system_->UnregisterHotKey(id);
    system_->DeleteGlobalAtom(id);
    return released;
}

void THotKeyManager::ReleaseAllRegistrations() {
    while (!registrations_.empty()) {
        const HotKeyRegistration entry = registrations_.back();
        registrations_.pop_back();
        codes_.erase(entry.Code);
        system_->UnregisterHotKey(entry.Id);
        system_->DeleteGlobalAtom(entry.Id);
    }
}

bool THotKeyManager::HasRegistration(HotKeyCode code) const {
    return codes_.count(code) != 0;
}

void THotKeyManager::HandleWindowMessage(std::uint32_t message, std::uintptr_t wParam,
                                         std::intptr_t lParam) {
    if (message != kWmHotKey || !OnHotKeyPressed) return;
    const auto lp = static_cast<std::uint32_t>(lParam);
    const std::uint16_t mods = lp & 0xFFFF;
    HotKeyCode code = (lp >> 16) & 0xFFFF;
    if (mods & kModShift) code += kShiftBit;
    if (mods & kModControl) code += kCtrlBit;
    if (mods & kModAlt) code += kAltBit;
    if (mods & kModWin) code += kWinBit;
    if (HasRegistration(code)) OnHotKeyPressed(code, static_cast<std::uint16_t>(wParam & 0xFFFF));
}

void THotKeyManager::RegisterAllTaskHotKeys(const TaskTable& table) {
    const int count = table.taskCount();
    for (int row = 0; row < count; ++row) {
        const HotKeyCode code = TextToHotKeyCode(table.cellText(Column::Hotkey, row));
        if (code != 0) AddRegistration(code);
    }
}

int THotKeyManager::ReleaseUnusedRegistrations(const TaskTable& table) {
    std::unordered_set<HotKeyCode> used;
    const int count = table.taskCount();
    for (int row = 0; row < count; ++row)
        used.insert(TextToHotKeyCode(table.cellText(Column::Hotkey, row)));
    std::vector<HotKeyCode> unused;
    for (auto it = registrations_.rbegin(); it != registrations_.rend(); ++it)
        if (used.count(it->Code) == 0) unused.push_back(it->Code);
    for (HotKeyCode code : unused)
        ReleaseRegistration(code);
    return static_cast<int>(unused.size());
}

} // namespace keyvane

// Reading hotkey text: the Hotkey column's "Ctrl+Alt+N" into a code, and
// the editor field's shortcut text into the field's value.
#include "hotkeys/HotKeyText.h"

#include "base/Text.h"

namespace keyvane {

namespace {

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

std::uint16_t ModifierFlagOfWord(const HotKeyNames& names, std::u16string_view word) {
    // A layout may give a modifier no name; nothing then is that word.
    if (word.empty()) return 0;
    for (const Modifier& m : kModifiers) {
        if (EqualsIgnoreAsciiCase(word, m.word) ||
            EqualsIgnoreAsciiCase(word, names.Modifiers().*m.layoutWord))
            return m.flag;
    }
    return 0;
}

std::uint16_t KeyOfWord(const HotKeyNames& names, std::u16string_view word) {
    // A piece of only control characters trims to nothing; it names no key
    // (an unnamed key must not be picked by its empty name).
    if (word.empty()) return 0;
    if (word.size() == 1) {
        const char16_t c = AsciiUpper(word[0]);
        if ((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z')) return c;
        return names.KeyByName(word);
    }
    // The numeric keypad's plus key is named "Num +"; the split cut it apart.
    if (word == u"Num") word = u"Num +";
    // A modifier word is never a key, in whatever letter case it is written.
    if (ModifierFlagOfWord(names, word) != 0) return 0;
    return names.KeyByName(word);
}

// Removes "word+" from the front of the text, ASCII letter case aside.
bool TakeModifierPrefix(std::u16string_view& text, std::u16string_view word) {
    if (word.empty() || text.size() <= word.size() || text[word.size()] != u'+' ||
        !EqualsIgnoreAsciiCase(text.substr(0, word.size()), word))
        return false;
    text.remove_prefix(word.size() + 1);
    return true;
}

} // namespace

HotKeyCode TextToHotKeyCode(const HotKeyNames& names, std::u16string_view text) {
    PieceReader reader(text);
    std::u16string_view piece;
    if (!reader.Next(piece)) return 0;
    std::uint16_t flags = 0;
    std::u16string_view next;
    while (reader.Next(next)) {
        // Every piece before the last is a modifier word; an unknown word
        // spoils the whole text.
        const std::uint16_t flag = ModifierFlagOfWord(names, piece);
        if (flag == 0) return 0;
        flags |= flag;
        piece = next;
    }
    const std::uint16_t key = KeyOfWord(names, piece);
    return key == 0 ? 0 : MakeHotKeyCode(flags, key & 0xFF) | (key & kKeypadBit);
}

std::uint16_t ParseShortcutText(const HotKeyNames& names, std::u16string_view text) {
    std::uint16_t bits = 0;
    for (bool took = true; took;) {
        took = false;
        if (!text.empty() && text.front() == u'^') {
            bits |= kCtrlBit;
            text.remove_prefix(1);
            took = true;
            continue;
        }
        // The field holds no Win: a Win word is left in place and then
        // names no key.
        for (const Modifier& m : kModifiers) {
            if (m.controlFlag == 0) continue;
            // The layout's words too: the Hotkey column holds them ("Strg+"
            // on a German layout), and a row that does not come back into
            // the field would lose its hotkey at the editor's OK.
            if (TakeModifierPrefix(text, m.word) ||
                TakeModifierPrefix(text, names.Modifiers().*m.layoutWord)) {
                bits |= static_cast<std::uint16_t>(m.bit);
                took = true;
                break;
            }
        }
    }
    if (text.empty()) return 0;
    const std::uint16_t key = names.KeyByShortcutName(text);
    return key == 0 ? 0 : static_cast<std::uint16_t>(key | bits);
}

bool CanShowInHotKeyField(const HotKeyNames& names, std::u16string_view text) {
    return ParseShortcutText(names, text) != 0 && (TextToHotKeyCode(names, text) & kWinBit) == 0;
}

} // namespace keyvane

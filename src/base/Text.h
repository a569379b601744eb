// Small text helpers shared by the core: UTF-16 <-> UTF-8 for messages and
// native paths, the program's ASCII-only letter case rules for names, and
// the case folding of free text that searches use.
#pragma once

#include <string>
#include <string_view>

namespace keyvane {

// Unpaired surrogates become U+FFFD; used for messages and POSIX paths only.
std::string ToUtf8(std::u16string_view text);
// Each byte that starts no well-formed sequence (overlong forms and encoded
// surrogates included) becomes one U+FFFD.
std::u16string FromUtf8(std::string_view text);
// Whether the bytes are well-formed UTF-8 with at least one character past
// ASCII: text in a single-byte code page almost never is.
bool IsUtf8BeyondAscii(std::string_view text);

// Only A-Z and a-z change; every other unit is kept as it is.
constexpr char16_t AsciiLower(char16_t c) {
    return (c >= u'A' && c <= u'Z') ? c + 32 : c;
}
constexpr char16_t AsciiUpper(char16_t c) {
    return (c >= u'a' && c <= u'z') ? c - 32 : c;
}
std::u16string AsciiLowered(std::u16string_view text);
bool EqualsIgnoreAsciiCase(std::u16string_view a, std::u16string_view b);

// The lower-case letter of a capital one in Latin (with its extensions),
// Greek, Cyrillic, Armenian and the full-width forms; final sigma folds to
// sigma. Other units, surrogates among them, stay as they are. For searches
// in what the user typed, where "Ä" must find "ä"; key and column names keep
// the ASCII rules above.
char16_t FoldCase(char16_t c);
std::u16string CaseFolded(std::u16string_view text);
// Whether the text contains the needle, letter case aside; needle must be
// CaseFolded already. scratch is reused between calls to spare allocations.
bool ContainsFolded(std::u16string_view text, std::u16string_view foldedNeedle,
                    std::u16string& scratch);

} // namespace keyvane

// Small text helpers shared by the core: UTF-16 <-> UTF-8 for messages and
// native paths, and the program's ASCII-only letter case rules.
#pragma once

#include <string>
#include <string_view>

namespace keyvane {

// Unpaired surrogates become U+FFFD; used for messages and POSIX paths only.
std::string ToUtf8(std::u16string_view text);
std::u16string FromUtf8(std::string_view text);

// Only A-Z and a-z change; every other unit is kept as it is.
constexpr char16_t AsciiLower(char16_t c) {
    return (c >= u'A' && c <= u'Z') ? c + 32 : c;
}
constexpr char16_t AsciiUpper(char16_t c) {
    return (c >= u'a' && c <= u'z') ? c - 32 : c;
}
std::u16string AsciiLowered(std::u16string_view text);
std::u16string AsciiUppered(std::u16string_view text);
bool EqualsIgnoreAsciiCase(std::u16string_view a, std::u16string_view b);

} // namespace keyvane

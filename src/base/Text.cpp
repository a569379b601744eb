#include "base/Text.h"

namespace keyvane {

std::string ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

namespace {

// The code point of the well-formed UTF-8 sequence at text[i], and its
// length; 0 for a byte that starts none (a stray continuation byte, a cut
// sequence, an overlong form, a surrogate or a code point past U+10FFFF).
std::size_t DecodeUtf8At(std::string_view text, std::size_t i, char32_t& cp) {
    const auto b = static_cast<unsigned char>(text[i]);
    const int extra = b < 0x80         ? 0
                      : (b >> 5) == 6  ? 1
                      : (b >> 4) == 14 ? 2
                      : (b >> 3) == 30 ? 3
                                       : -1;
    if (extra < 0 || text.size() - i <= static_cast<std::size_t>(extra)) return 0;
    cp = extra == 0 ? b : extra == 1 ? (b & 0x1F) : extra == 2 ? (b & 0x0F) : (b & 0x07);
    for (int k = 1; k <= extra; ++k) {
        const auto c = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
        if ((c >> 6) != 2) return 0;
        cp = (cp << 6) | (c & 0x3F);
    }
    constexpr char32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
    if (cp < kLeast[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return static_cast<std::size_t>(extra) + 1;
}

} // namespace

std::u16string FromUtf8(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        char32_t cp = 0;
        const std::size_t length = DecodeUtf8At(text, i, cp);
        if (length == 0) {
            out += u'\xFFFD';
            ++i;
            continue;
        }
        i += length;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
    }
    return out;
}

bool IsUtf8BeyondAscii(std::string_view text) {
    bool beyond = false;
    for (std::size_t i = 0; i < text.size();) {
        char32_t cp = 0;
        const std::size_t length = DecodeUtf8At(text, i, cp);
        if (length == 0) return false;
        beyond = beyond || length > 1;
        i += length;
    }
    return beyond;
}

namespace {

template <class Map> std::u16string EachUnit(std::u16string_view text, Map map) {
    std::u16string out(text);
    for (auto& c : out)
        c = map(c);
    return out;
}

} // namespace

std::u16string AsciiLowered(std::u16string_view text) {
    return EachUnit(text, [](char16_t c) { return AsciiLower(c); });
}

bool EqualsIgnoreAsciiCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    return true;
}

namespace {

// Blocks where each capital is followed by its small letter (even capital,
// odd small, or the other way round where noted).
struct PairBlock {
    char16_t first, last;
    bool capitalOdd;
};
constexpr PairBlock kPairBlocks[] = {
    {0x0100, 0x012F, false}, {0x0132, 0x0137, false}, {0x0139, 0x0148, true},
    {0x014A, 0x0177, false}, {0x0179, 0x017E, true},  {0x01DE, 0x01EF, false},
    {0x01F8, 0x021F, false}, {0x0222, 0x0233, false}, {0x03D8, 0x03EF, false},
    {0x0460, 0x0481, false}, {0x048A, 0x04BF, false}, {0x04C1, 0x04CE, true},
    {0x04D0, 0x052F, false}, {0x1E00, 0x1E95, false}, {0x1EA0, 0x1EFF, false},
};

// Blocks of capitals whose small letters lie a fixed distance away.
struct ShiftBlock {
    char16_t first, last;
    int shift;
};
constexpr ShiftBlock kShiftBlocks[] = {
    {0x00C0, 0x00D6, 32}, {0x00D8, 0x00DE, 32},   {0x0388, 0x038A, 37}, {0x038E, 0x038F, 63},
    {0x0391, 0x03A1, 32}, {0x03A3, 0x03AB, 32},   {0x0400, 0x040F, 80}, {0x0410, 0x042F, 32},
    {0x0531, 0x0556, 48}, {0x10A0, 0x10C5, 7264}, {0x1F08, 0x1F0F, -8}, {0x1F18, 0x1F1D, -8},
    {0x1F28, 0x1F2F, -8}, {0x1F38, 0x1F3F, -8},   {0x1F48, 0x1F4D, -8}, {0x1F68, 0x1F6F, -8},
    {0xFF21, 0xFF3A, 32},
};

} // namespace

char16_t FoldCase(char16_t c) {
    if (c < 0x80) return AsciiLower(c);
    if (c < 0xC0) return c;
    for (const ShiftBlock& b : kShiftBlocks)
        if (c >= b.first && c <= b.last) return static_cast<char16_t>(c + b.shift);
    for (const PairBlock& b : kPairBlocks)
        if (c >= b.first && c <= b.last)
            return ((c & 1) != 0) == b.capitalOdd ? static_cast<char16_t>(c + 1) : c;
    switch (c) {
    case 0x0130: // capital I with dot: its small letter is the plain i
        return u'i';
    case 0x0178: // Y with diaeresis, whose small letter is in Latin-1
        return 0x00FF;
    case 0x0386:
        return 0x03AC;
    case 0x038C:
        return 0x03CC;
    case 0x03C2: // final sigma
        return 0x03C3;
    case 0x1E9E: // capital sharp s
        return 0x00DF;
    default:
        return c;
    }
}

std::u16string CaseFolded(std::u16string_view text) {
    return EachUnit(text, [](char16_t c) { return FoldCase(c); });
}

bool ContainsFolded(std::u16string_view text, std::u16string_view foldedNeedle,
                    std::u16string& scratch) {
    if (foldedNeedle.empty()) return true;
    if (text.size() < foldedNeedle.size()) return false;
    scratch.resize(text.size());
    for (std::size_t i = 0; i < text.size(); ++i)
        scratch[i] = FoldCase(text[i]);
    return std::u16string_view(scratch).find(foldedNeedle) != std::u16string_view::npos;
}

} // namespace keyvane

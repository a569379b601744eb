#include "base/Text.h"

#include <gtest/gtest.h>

#include <string>

namespace keyvane {
namespace {

TEST(Text, Utf8DecodesWellFormedSequencesAndReplacesEachBadByte) {
    struct Case {
        std::string bytes;
        std::u16string text;
        bool beyondAscii; // IsUtf8BeyondAscii
    };
    const Case cases[] = {
        {"", u"", false},
        {"plain", u"plain", false},
        {"Gr\xC3\xBC\xC3\x9F"
         "e \xE4\xB8\x96",
         u"Gr\u00fc\u00dfe \u4e16", true},
        {"\xF0\x9F\x91\x8B", u"\U0001F44B", true},
        {"\xF4\x8F\xBF\xBF", u"\U0010FFFF", true},
        // Past U+10FFFF, surrogates, overlong forms, stray and cut sequences.
        {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD", false},
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD", false},
        {"\xC0\xAF", u"\uFFFD\uFFFD", false},
        {"\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD", false},
        {"a\x80z", u"a\uFFFDz", false},
        {"\xE4\xB8", u"\uFFFD\uFFFD", false},
        {"\xC3\xA9\xE9", u"\u00e9\uFFFD", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FromUtf8(c.bytes), c.text) << c.bytes;
        EXPECT_EQ(IsUtf8BeyondAscii(c.bytes), c.beyondAscii) << c.bytes;
    }
}

TEST(Text, Utf16ToUtf8RoundTripsAndReplacesLoneSurrogates) {
    const std::u16string whole = u"a\u00e9\u4e16\U0001F44B";
    EXPECT_EQ(FromUtf8(ToUtf8(whole)), whole);
    EXPECT_EQ(ToUtf8(u"x\xD800y\xDC00"), "x\xEF\xBF\xBDy\xEF\xBF\xBD");
}

TEST(Text, FoldingFindsCapitalsOfEveryScriptButAsciiRulesStayAscii) {
    std::u16string scratch;
    EXPECT_TRUE(ContainsFolded(u"\u00c4RGER \u0421\u041b\u041e\u0412\u041e \u03a3",
                               CaseFolded(u"\u00e4rger \u0441\u043b\u043e\u0432\u043e \u03c2"),
                               scratch));
    EXPECT_FALSE(ContainsFolded(u"abc", CaseFolded(u"abd"), scratch));
    EXPECT_EQ(AsciiLowered(u"NOTEPAD.EXE \u00c4"), u"notepad.exe \u00c4");
    EXPECT_TRUE(EqualsIgnoreAsciiCase(u"Calc.EXE", u"calc.exe"));
    EXPECT_FALSE(EqualsIgnoreAsciiCase(u"\u00c4", u"\u00e4"));
}

} // namespace
} // namespace keyvane

#include "hotkeys/KeySequence.h"

#include "FakeKeyNames.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace keyvane {
namespace {

using Codes = std::vector<HotKeyCode>;

TEST(KeySequence, ReadsCombinationsAsTheHotkeyColumnWritesThem) {
    test::FakeLayout layout;
    const struct {
        std::u16string_view text;
        std::optional<Codes> codes;
        std::u16string_view written; // empty: the text itself
    } cases[] = {
        {u"Ctrl+C, Tab, Ctrl+V", Codes{kCtrlBit | 'C', 9, kCtrlBit | 'V'}, u""},
        {u"Home, Delete", Codes{0x24, 0x2E}, u""},
        // The comma key, alone and with a modifier, beside the separator.
        {u"Ctrl+,, Tab", Codes{kCtrlBit | 0xBC, 9}, u""},
        {u",, ,", Codes{0xBC, 0xBC}, u",, ,"},
        {u"  Shift+Alt+F4 ,Win+E  ", Codes{kShiftBit | kAltBit | 115, kWinBit | 'E'},
         u"Shift+Alt+F4, Win+E"},
        {u"Ctrl+C, Bogus", std::nullopt, u""},
        {u"Ctrl+C,", std::nullopt, u""},
        {u"Ctrl+", std::nullopt, u""},
        {u"", std::nullopt, u""},
        {u" , ", Codes{0xBC}, u","},
    };
    for (const auto& c : cases) {
        const std::string shown(c.text.begin(), c.text.end());
        const std::optional<Codes> read = ReadKeySequence(layout.names, c.text);
        EXPECT_EQ(read, c.codes) << shown;
        if (!read) continue;
        EXPECT_EQ(WriteKeySequence(layout.names, *read), c.written.empty() ? c.text : c.written)
            << shown;
    }
}

} // namespace
} // namespace keyvane

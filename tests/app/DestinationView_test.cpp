// How the editor and the grid show a destination, and what the editor's keys
// field makes of a combination pressed in it.
#include "app/DestinationView.h"

#include "FakeKeyNames.h"

#include <gtest/gtest.h>

namespace keyvane {
namespace {

TEST(DestinationView, CountsWhatTheUserSeesAndTheGridShowsTheFirstLine) {
    const struct {
        std::u16string text;
        std::u16string count;
    } counts[] = {
        {u"", u"0 characters"},
        {u"a", u"1 character"},
        {u"Gr\u00fc\u00dfe \U0001F44B", u"7 characters"}, // a surrogate pair is one
        {u"a\r\nb\nc\rd", u"7 characters"},               // CR LF is one break, as LF or CR alone
        {u"\xD83D"
         u"a",
         u"2 characters"}, // a lone half counts as it stands
        {std::u16string(2000, u'x') + u"\r\n", u"2,001 characters"},
    };
    for (const auto& c : counts)
        EXPECT_EQ(CharacterCountText(c.text), c.count) << std::string(c.text.begin(), c.text.end());

    // The cell's written form is decoded before its first line is taken.
    const struct {
        std::u16string cell;
        std::u16string shown;
    } cells[] = {
        {u"notepad.exe", u"notepad.exe"},
        {u"cmd /c dir {\r\n} sort", u"cmd /c dir | sort"},
        {u"Dear Ann,\r\n\r\nthanks", u"Dear Ann, ..."},
        {u"\r\nsecond", u" ..."},
    };
    for (const auto& c : cells)
        EXPECT_EQ(GridDestinationText(c.cell), c.shown);
}

TEST(DestinationView, KeysFieldAddsCombinationsAndLeavesWindowsItsOwn) {
    test::FakeLayout layout;
    const HotKeyNames& names = layout.names;
    const struct {
        std::u16string before;
        HotKeyCode code;
        bool refused;
        std::u16string after;
    } cases[] = {
        {u"", kCtrlBit | 'C', false, u"Ctrl+C"},
        {u"Ctrl+C", 9, false, u"Ctrl+C, Tab"}, // a typing key alone is fine here
        {u"ctrl+c ,tab", kCtrlBit | 'V', false, u"Ctrl+C, Tab, Ctrl+V"}, // rewritten as read
        {u"Ctrl+Nothing  ", 'A', false, u"Ctrl+Nothing, A"}, // unreadable keys stay as written
        {u"Ctrl+C", kAltBit | 9, true, u""},                 // Alt+Tab switches windows
        {u"Ctrl+C", kAltBit | 0x73, true, u""},              // Alt+F4 closes the window
    };
    for (const auto& c : cases) {
        const KeysFieldPress press = AddPressedKey(names, c.before, c.code);
        EXPECT_EQ(press.refused, c.refused) << c.code;
        EXPECT_EQ(press.destination, c.after) << c.code;
        EXPECT_EQ(press.text.empty(), !c.refused) << c.code;
    }
}

} // namespace
} // namespace keyvane

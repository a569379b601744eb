// The registration bookkeeping against a fake of the system's hotkey service.
#include "FakeHotKeySystem.h"
#include "FakeKeyNames.h"
#include "TaskRows.h"
#include "hotkeys/HotKeyManager.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace keyvane {
namespace {

using test::FakeLayout;
using test::FillTable;

using test::FakeHotKeySystem;
using test::SystemState;

class HotKeyManagerTest : public ::testing::Test {
  protected:
    std::unique_ptr<THotKeyManager> MakeManager() {
        return std::make_unique<THotKeyManager>(std::make_unique<FakeHotKeySystem>(state));
    }
    FakeLayout layout;
    SystemState state;
};

constexpr HotKeyCode kCtrlShiftA = 0x6041;
constexpr HotKeyCode kCtrlAltN = kCtrlBit | kAltBit | 'N';

TEST_F(HotKeyManagerTest, RegistersUnderTheAtomOfTheCodeWithoutRepeat) {
    auto manager = MakeManager();
    EXPECT_EQ(state.attached, manager.get());
    const std::uint16_t id = manager->AddRegistration(kCtrlShiftA);
    ASSERT_NE(id, 0);
    EXPECT_EQ(RegistrationAtomName(kCtrlShiftA), u"HotKeyManagerHotKey24641");
    EXPECT_EQ(state.atoms.at(u"HotKeyManagerHotKey24641").first, id);
    ASSERT_EQ(state.flagsPassed.size(), 1u);
    // Held keys fire once: the system is asked not to repeat (MOD_NOREPEAT).
    EXPECT_EQ(state.flagsPassed[0], 2 | 4 | 0x4000);
    EXPECT_EQ(state.ours.count({kModControl | kModShift, 0x41}), 1u);
    ASSERT_EQ(manager->Registrations().size(), 1u);
    EXPECT_EQ(manager->Registrations()[0].Code, kCtrlShiftA);
    EXPECT_EQ(manager->Registrations()[0].Id, id);
    EXPECT_TRUE(manager->HasRegistration(kCtrlShiftA));
    EXPECT_FALSE(manager->HasRegistration(kCtrlAltN));
}

TEST_F(HotKeyManagerTest, RefusedPairLeavesNothingBehind) {
    state.heldElsewhere.insert({kModControl | kModAlt, 'N'});
    auto manager = MakeManager();
    EXPECT_EQ(manager->AddRegistration(kCtrlAltN), 0);
    EXPECT_TRUE(manager->Registrations().empty());
    EXPECT_EQ(state.References(kCtrlAltN), 0);
    EXPECT_FALSE(manager->HasRegistration(kCtrlAltN));
    EXPECT_EQ(manager->AddRegistration(0), 0); // no hotkey
}

TEST_F(HotKeyManagerTest, OneEntryPerCode) {
    auto manager = MakeManager();
    EXPECT_NE(manager->AddRegistration(kCtrlShiftA), 0);
    EXPECT_EQ(manager->AddRegistration(kCtrlShiftA), 0);
    EXPECT_EQ(manager->Registrations().size(), 1u);
    EXPECT_EQ(state.References(kCtrlShiftA), 1);
}

TEST_F(HotKeyManagerTest, PassRegistersEveryParsableRowEnabledOrNot) {
    state.heldElsewhere.insert({kModAlt, 0x73}); // Alt+F4 belongs to someone else
    TaskTable table;
    FillTable(table, {
                         {u"Run Calc", u"Ctrl+Alt+N"},
                         {u"Run Notepad", u"Ctrl+Alt+N"}, // same code: one registration
                         {u"Run Calc", u"Ctrl+Shift+A", u"", u"Normal", false},
                         {u"Run Calc", u""},
                         {u"Run Calc", u"Foo+A"},
                         {u"Run Calc", u"Alt+F4"},
                     });
    auto manager = MakeManager();
    manager->RegisterAllTaskHotKeys(table, layout.names);
    ASSERT_EQ(manager->Registrations().size(), 2u);
    EXPECT_EQ(manager->Registrations()[0].Code, kCtrlAltN);
    EXPECT_EQ(manager->Registrations()[1].Code, kCtrlShiftA);

    // Running it again (the editor confirmed without changes) changes nothing.
    manager->RegisterAllTaskHotKeys(table, layout.names);
    EXPECT_EQ(manager->Registrations().size(), 2u);
    EXPECT_EQ(state.References(kCtrlAltN), 1);
    EXPECT_EQ(state.References(0x8073), 0);

    // A later pass offers the refused key again.
    state.heldElsewhere.clear();
    manager->RegisterAllTaskHotKeys(table, layout.names);
    EXPECT_TRUE(manager->HasRegistration(0x8073));
}

TEST_F(HotKeyManagerTest, DestroyingReleasesEveryRegistrationLastFirst) {
    auto manager = MakeManager();
    const std::uint16_t first = manager->AddRegistration(kCtrlShiftA);
    const std::uint16_t second = manager->AddRegistration(kCtrlAltN);
    manager.reset();
    EXPECT_EQ(state.unregistered, (std::vector<std::uint16_t>{second, first}));
    EXPECT_TRUE(state.ours.empty());
    EXPECT_TRUE(state.atoms.empty());
}

TEST_F(HotKeyManagerTest, HotKeyMessageRaisesTheEventForRegisteredCodes) {
    auto manager = MakeManager();
    std::vector<std::pair<HotKeyCode, std::uint16_t>> pressed;
    const auto message = [&](std::uint16_t id, std::uint16_t mods, std::uint16_t key) {
        manager->Pressed(MakeHotKeyCode(mods, key), id);
    };
    const std::uint16_t id = manager->AddRegistration(kCtrlAltN);
    const std::uint16_t winId = manager->AddRegistration(TextToHotKeyCode(layout.names, u"Win+N"));
    message(id, kModControl | kModAlt, 'N'); // no handler yet: nothing happens

    manager->OnHotKeyPressed = [&](const HotKeyPress& press) {
        pressed.push_back({press.HotKey, press.Index});
    };
    message(id, kModControl | kModAlt, 'N');
    message(id, kModControl | kModAlt, 'N');
    message(winId, kModWin, 'N');
    message(0x1234, kModShift, 'N'); // not ours
    const std::vector<std::pair<HotKeyCode, std::uint16_t>> expected = {
        {kCtrlAltN, id}, {kCtrlAltN, id}, {kWinBit | 'N', winId}};
    EXPECT_EQ(pressed, expected);
}

TEST_F(HotKeyManagerTest, UnusedRegistrationsAreGivenBack) {
    TaskTable table;
    FillTable(table, {
                         {u"Run Calc", u"Ctrl+Alt+N"},
                         {u"Run Calc", u"Ctrl+Shift+A"},
                         {u"Run Calc", u"Ctrl+Shift+A"},
                         {u"Run Calc", u"Alt+F4", u"", u"Normal", false},
                     });
    auto manager = MakeManager();
    manager->RegisterAllTaskHotKeys(table, layout.names);
    ASSERT_EQ(manager->Registrations().size(), 3u);

    // Delete one of two rows sharing a hotkey, and re-bind another.
    table.removeTask(2);
    table.setCellText(Column::Hotkey, 0, u"Ctrl+Alt+M");
    manager->RegisterAllTaskHotKeys(table, layout.names);
    EXPECT_EQ(manager->ReleaseUnusedRegistrations(table, layout.names), 1);

    EXPECT_FALSE(manager->HasRegistration(kCtrlAltN));
    EXPECT_EQ(state.ours.count({kModControl | kModAlt, 'N'}), 0u);
    EXPECT_EQ(state.References(kCtrlAltN), 0);
    EXPECT_TRUE(manager->HasRegistration(kCtrlShiftA));
    EXPECT_TRUE(manager->HasRegistration(0x8073)); // disabled rows keep theirs
    EXPECT_TRUE(manager->HasRegistration(kCtrlBit | kAltBit | 'M'));

    // A released combination can be taken again by a later pass.
    table.setCellText(Column::Hotkey, 0, u"Ctrl+Alt+N");
    manager->RegisterAllTaskHotKeys(table, layout.names);
    EXPECT_TRUE(manager->HasRegistration(kCtrlAltN));

    table.removeAllTasks();
    EXPECT_EQ(manager->ReleaseUnusedRegistrations(table, layout.names), 4);
    EXPECT_TRUE(state.ours.empty());
    EXPECT_TRUE(state.atoms.empty());
}

TEST_F(HotKeyManagerTest, StateOfEachRowsHotKeyForTheGridsMarks) {
    state.heldElsewhere.insert({kModControl | kModAlt, 'Q'});
    TaskTable table;
    FillTable(table, {{u"Run Calc", u"Ctrl+Alt+N"}, {u"Run Calc", u"ctrl+alt+m"}});
    auto manager = MakeManager();
    manager->RegisterAllTaskHotKeys(table, layout.names);
    struct Case {
        std::u16string_view text;
        HotKeyState state;
    } cases[] = {
        {u"Ctrl+Alt+N", HotKeyState::Ok},
        {u"", HotKeyState::Empty},
        {u"Foo+N", HotKeyState::Unparsable},
        {u"Ctrl+Alt+Q", HotKeyState::NotRegistered}, // another program holds it
        {u"Ctrl+Alt+P", HotKeyState::NotRegistered}, // no pass has offered it
        {u"ctrl+alt+m", HotKeyState::Ok}, // a press matches by the code the text reads as
        {u"Alt+Ctrl+N", HotKeyState::Ok},
        {u"Ctrl+Alt+ N", HotKeyState::Ok},
        {u"Ctrl+Alt+q", HotKeyState::NotRegistered},
        {u"Ctrl+Alt+Т", HotKeyState::Unparsable}, // Cyrillic: no installed layout has it
    };
    for (const Case& c : cases)
        EXPECT_EQ(HotKeyStateOf(c.text, layout.names, *manager), c.state)
            << std::string(c.text.begin(), c.text.end());
    EXPECT_TRUE(manager->HasRegistration(kCtrlBit | kAltBit | 'M'));

    // The layout's own words and the English ones both read.
    layout.source.names[0x11] = u"Strg";
    layout.Restart();
    EXPECT_EQ(HotKeyStateOf(u"Strg+Alt+N", layout.names, *manager), HotKeyState::Ok);
    EXPECT_EQ(HotKeyStateOf(u"Ctrl+Alt+N", layout.names, *manager), HotKeyState::Ok);
    // A second installed layout reads its letters; the mark goes.
    layout.source.InstallRussian();
    EXPECT_EQ(HotKeyStateOf(u"Ctrl+Alt+Т", layout.names, *manager), HotKeyState::Ok);
}

TEST_F(HotKeyManagerTest, KeypadTwinsShareOneRegistration) {
    // The system knows the virtual key alone: Enter and the keypad's Enter
    // are one pair, held while either row uses it.
    TaskTable table;
    FillTable(table, {{u"Run Calc", u"Ctrl+Enter"}, {u"Run Calc", u"Ctrl+Num Enter"}});
    auto manager = MakeManager();
    manager->RegisterAllTaskHotKeys(table, layout.names);
    EXPECT_EQ(state.ours.size(), 1u);
    EXPECT_EQ(state.ours.count({kModControl, 13}), 1u);
    EXPECT_EQ(HotKeyStateOf(u"Ctrl+Num Enter", layout.names, *manager), HotKeyState::Ok);
    table.removeTask(0);
    EXPECT_EQ(manager->ReleaseUnusedRegistrations(table, layout.names), 0);
    EXPECT_TRUE(manager->HasRegistration(kCtrlBit | 13));
    table.removeAllTasks();
    EXPECT_EQ(manager->ReleaseUnusedRegistrations(table, layout.names), 1);
    EXPECT_TRUE(state.ours.empty());
}

TEST_F(HotKeyManagerTest, RowTakingAnAltGrCharacterIsMarkedYetRegistered) {
    layout.source.typed = {{{'Q', kModControl | kModAlt}, u"@"},
                           {{'E', kModControl | kModAlt}, u"\u20AC"}};
    state.heldElsewhere.insert({kModControl | kModAlt, 'E'});
    TaskTable table;
    FillTable(table, {{u"Run Calc", u"Ctrl+Alt+Q"}, {u"Run Calc", u"Ctrl+Alt+1"}});
    auto manager = MakeManager();
    manager->RegisterAllTaskHotKeys(table, layout.names);
    EXPECT_TRUE(manager->HasRegistration(kCtrlBit | kAltBit | 'Q'));
    EXPECT_EQ(HotKeyStateOf(u"Ctrl+Alt+Q", layout.names, *manager), HotKeyState::TakesCharacter);
    EXPECT_EQ(HotKeyStateOf(u"Ctrl+Alt+1", layout.names, *manager), HotKeyState::Ok);
    // Another program's hotkey takes the character, not this one.
    EXPECT_EQ(HotKeyStateOf(u"Ctrl+Alt+E", layout.names, *manager), HotKeyState::NotRegistered);
}

} // namespace
} // namespace keyvane

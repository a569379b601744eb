// The editor's rules for a combination pressed in its hotkey field: which it
// refuses and what the line under the field says.
#include "app/TaskEditor.h"

#include "base/AppInfo.h"
#include "hotkeys/HotKeyCapture.h"

#include "FakeKeyNames.h"
#include "TaskRows.h"

#include <gtest/gtest.h>

namespace keyvane {
namespace {

TEST(TaskEditorRules, CaptureRefusesWhatTakesTypingAndSaysTheRestMostImportantFirst) {
    test::FakeLayout layout;
    layout.source.typed = {{{'N', 0}, u"n"},     {{'N', 4}, u"N"}, {{0xBA, 0}, u";"},
                           {{0x1B, 0}, u"\x1b"}, {{'Q', 3}, u"@"}, {{'E', 3}, u"\x05"},
                           {{0x60, 0}, u"0"}};
    layout.Restart();
    const HotKeyNames& names = layout.names;
    const HotKeyCode ctrl = kCtrlBit, alt = kAltBit, shift = kShiftBit, win = kWinBit;
    const std::u16string refused = u" is needed for typing; add Ctrl, Alt or Win";
    const std::u16string held = u"This hotkey is in use by another program";
    struct Case {
        HotKeyCode code;
        bool heldElsewhere;
        std::vector<int> shared;
        bool refused;
        std::u16string text;
    };
    const Case cases[] = {
        {0, true, {2}, false, u""}, // an empty field says nothing
        {'N', false, {}, true, u"Not taken: N" + refused},
        {shift | 'N', false, {}, true, u"Not taken: Shift+N" + refused},
        {0xBA, false, {}, true, u"Not taken: ;" + refused}, // a punctuation key
        {0x60, false, {}, true, u"Not taken: Num 0" + refused},
        {' ', false, {}, true, u"Not taken: Space" + refused},
        {13, false, {}, true, u"Not taken: Enter" + refused},
        {13 | kKeypadBit, false, {}, true, u"Not taken: Num Enter" + refused},
        {9, false, {}, true, u"Not taken: Tab" + refused},
        {8, false, {}, true, u"Not taken: Backspace" + refused},
        {shift | 37, false, {}, true, u"Not taken: Shift+Left" + refused},
        // Keys that type nothing, or only a control character, stay allowed.
        {0x74, false, {}, false, u""}, // F5
        {shift | 0x74, false, {}, false, u""},
        {0xB3, false, {}, false, u""}, // Play/Pause
        {0x1B, false, {}, false, u""}, // Escape
        {36, false, {}, false, u""},   // Home
        {win | 'N', false, {}, false, u""},
        {ctrl | 'N', true, {}, false, held},
        {ctrl | alt | ' ', false, {4}, false, u"Task 4 uses this hotkey too"},
        {ctrl | alt | 'Q',
         true,
         {1, 2},
         false,
         held + u"\nTakes the character @ that AltGr types\nTasks 1 and 2 use this hotkey too"},
        {ctrl | alt | 'E', false, {1, 2, 3}, false, u"Tasks 1, 2 and 3 use this hotkey too"},
        {ctrl | 'K',
         false,
         {1, 2, 3, 4, 5},
         false,
         u"Tasks 1, 2, 3 and 2 more use this hotkey too"},
    };
    for (const Case& c : cases) {
        const HotKeyAdvice advice = AdviseHotKey(names, c.code, c.heldElsewhere, c.shared);
        EXPECT_EQ(advice.refused, c.refused) << "code " << std::hex << c.code;
        EXPECT_EQ(advice.text, c.text) << "code " << std::hex << c.code;
    }
}

// Both fields refuse what Windows needs in every program, and the capture
// lets it reach the system: the Alt pressed in the field, which the system
// did not see, is replayed before the key, and the releases are the system's.
// The pause field also leaves the Options page its own shortcuts.
TEST(TaskEditorRules, CombinationsWindowsNeedsAreRefusedAndReachTheSystem) {
    test::FakeLayout layout;
    const HotKeyNames& names = layout.names;
    const HotKeyCode ctrl = kCtrlBit, alt = kAltBit, shift = kShiftBit, win = kWinBit;
    const unsigned f4 = 0x73, tab = 0x09, esc = 0x1B, space = 0x20;
    struct Case {
        HotKeyCode code;
        std::u16string text; // of the editor; empty: taken
        bool pageShortcut = false;
    };
    const std::u16string needs = u" belongs to Windows in every program";
    const Case cases[] = {
        {alt | f4, u"Not taken: Alt+F4" + needs},
        {alt | tab, u"Not taken: Alt+Tab" + needs},
        {alt | shift | tab, u"Not taken: Shift+Alt+Tab" + needs},
        {ctrl | alt | tab, u"Not taken: Ctrl+Alt+Tab" + needs},
        {alt | esc, u"Not taken: Alt+Esc" + needs},
        {alt | shift | esc, u"Not taken: Shift+Alt+Esc" + needs},
        {ctrl | esc, u"Not taken: Ctrl+Esc" + needs},
        {ctrl | shift | esc, u"Not taken: Ctrl+Shift+Esc" + needs},
        {alt | space, u"Not taken: Alt+Space" + needs},
        {win | tab, u"Not taken: Win+Tab" + needs},
        // Other modifiers make a combination Windows leaves to programs.
        {ctrl | alt | f4, u""},
        {ctrl | f4, u""},
        {shift | f4, u""},
        {ctrl | alt | 'J', u""},
        {ctrl | alt | space, u""},
        {alt | 'S', u"", true},
        {alt | 'M', u"", true},
    };
    const std::vector<HotKeyCode> page = OptionsPageShortcuts();
    for (const Case& c : cases) {
        const std::u16string what = HotKeyCodeToText(names, c.code);
        const HotKeyAdvice advice = AdviseHotKey(names, c.code, false, {});
        EXPECT_EQ(advice.text, c.text) << std::hex << c.code;
        EXPECT_EQ(advice.refused, !c.text.empty()) << std::hex << c.code;
        const PauseFieldAdvice pause = AdvisePauseHotKey(names, c.code, false, {});
        EXPECT_EQ(pause.refused, !c.text.empty() || c.pageShortcut) << std::hex << c.code;
        EXPECT_EQ(pause.text, c.pageShortcut
                                  ? u"Not taken: " + what + u" is this window's own shortcut"
                              : c.text.empty() ? std::u16string(kPauseActsAtOnceText)
                                               : c.text)
            << std::hex << c.code;

        // Pressed in the pause field: modifiers (left side), then the key.
        HotKeyCapture capture({}, page);
        std::vector<std::uint8_t> pressed;
        for (const auto& [bit, key] : {std::pair{ctrl, 0xA2u}, std::pair{shift, 0xA0u},
                                       std::pair{alt, 0xA4u}, std::pair{win, 0x5Bu}})
            if (c.code & bit) {
                capture.OnKey(key, false, true);
                if (bit == alt || bit == win) pressed.push_back(static_cast<std::uint8_t>(key));
            }
        const unsigned key = c.code & 0xFF;
        const KeyVerdict verdict = capture.OnKey(key, false, true);
        const bool passed = !c.text.empty() || c.pageShortcut;
        EXPECT_EQ(verdict.captured, c.code) << std::hex << c.code << ": the line says why";
        if (!passed) {
            EXPECT_NE(verdict.decision, KeyDecision::Pass) << std::hex << c.code;
            continue;
        }
        // Ctrl and Shift reached the system already: nothing to replay.
        const bool replays = !pressed.empty();
        if (replays) pressed.push_back(static_cast<std::uint8_t>(key));
        pressed.resize(verdict.replay.size());
        EXPECT_EQ(std::vector<std::uint8_t>(verdict.replay.begin(), verdict.replay.end()), pressed)
            << std::hex << c.code << ": the swallowed Alt or Win, then the key";
        EXPECT_EQ(verdict.decision, replays ? KeyDecision::SwallowAndReplay : KeyDecision::Pass)
            << std::hex << c.code;
        EXPECT_EQ(capture.OnKey(key, false, false).decision, KeyDecision::Pass)
            << std::hex << c.code;
        EXPECT_EQ(capture.OnKey(0xA4, false, false).decision, KeyDecision::Pass)
            << std::hex << c.code << ": the system saw Alt go down, so it sees it go up";
    }
}

TEST(TaskEditorRules, OtherTasksWithTheHotKeyAreFoundWhateverTheKeypad) {
    test::FakeLayout layout;
    TaskTable table;
    test::FillTable(table, {{u"Run Calc", u"Ctrl+Alt+Enter"},
                            {u"Run Calc", u"Ctrl+Alt+Num Enter"},
                            {u"Run Calc", u"Ctrl+Enter"},
                            {u"Run Calc", u"Ctrl+Alt+Enter"}});
    const HotKeyCode code = kCtrlBit | kAltBit | 13;
    EXPECT_EQ(TasksWithHotKey(table, layout.names, code, -1), (std::vector<int>{1, 2, 4}));
    EXPECT_EQ(TasksWithHotKey(table, layout.names, code | kKeypadBit, 3), (std::vector<int>{1, 2}))
        << "the edited row is not another task";
    EXPECT_TRUE(TasksWithHotKey(table, layout.names, 0, -1).empty());
}

TEST(TaskEditorRules, OkKeepsAStoredTextThatReadsAsTheFieldsHotKey) {
    test::FakeLayout layout;
    layout.source.InstallRussian();
    layout.source.Activate(0x0419);
    TaskTable table;
    test::FillTable(
        table, {{u"Run Calc", u"Ctrl+Q"}, {u"Run Calc", u"Ctrl+Й"}, {u"Run Calc", u"ctrl+alt+n"}});
    for (int row = 0; row < table.taskCount(); ++row) {
        table.selectTask(row);
        const EditPreset preset = PresetForEdit(table, layout.names);
        const std::u16string before = table.cellText(Column::Hotkey, row);
        WriteEditorRow(table, layout.names, {preset.fields, false, false, false}, &preset, -1);
        EXPECT_EQ(table.cellText(Column::Hotkey, row), before) << "row " << row;
    }
}

TEST(TaskEditor, ProgramsLineKeepsWhatEditShowedAndWritesWhatTheUserChanged) {
    test::FakeLayout layout;
    TaskTable table;
    test::FillTable(
        table, {{u"Run selected program...", u"Ctrl+Q"}, {u"Run selected program...", u"Ctrl+W"}});
    table.setCellText(Column::Programs, 0, u"a.exe;!b.exe"); // not understood
    table.setCellText(Column::If_running, 0, u"Later");
    table.setCellText(Column::Programs, 1, u"!Game.exe;!mstsc.exe");
    table.selectTask(0);
    EditPreset preset = PresetForEdit(table, layout.names);
    EXPECT_EQ(preset.fields.scope, ScopeKind::AllPrograms);
    EXPECT_EQ(preset.fields.ifRunning, IfRunning::StartAnother);
    WriteEditorRow(table, layout.names, {preset.fields, false}, &preset, -1);
    EXPECT_EQ(table.cellText(Column::Programs, 0), u"a.exe;!b.exe") << "left alone: kept";
    EXPECT_EQ(table.cellText(Column::If_running, 0), u"Later");

    table.selectTask(1);
    preset = PresetForEdit(table, layout.names);
    EXPECT_EQ(preset.fields.scope, ScopeKind::NotIn);
    EXPECT_EQ(preset.fields.programs, u"Game.exe; mstsc.exe");
    TaskFields changed = preset.fields;
    changed.scope = ScopeKind::OnlyIn;
    changed.programs = u"notepad.exe; code.exe;";
    changed.ifRunning = IfRunning::Front;
    WriteEditorRow(table, layout.names, {changed, false}, &preset, -1);
    EXPECT_EQ(table.cellText(Column::Programs, 1), u"notepad.exe;code.exe");
    EXPECT_EQ(table.cellText(Column::If_running, 1), u"Front");
    changed.programs = u"c:\\tools\\a.exe";
    EXPECT_EQ(ProgramsFieldError(changed), std::u16string(kProgramPathText) + u"c:\\tools\\a.exe");
    changed.scope = ScopeKind::AllPrograms;
    EXPECT_TRUE(ProgramsFieldError(changed).empty()) << "the box does not count for all programs";
}

TEST(TaskEditor, DestinationShowsAndStoresWhatTheUserWrote) {
    test::FakeLayout layout;
    TaskTable table;
    TaskFields fields;
    fields.action = Action::TypeText;
    fields.destination = u"a|b {x}\r\n{|}";
    const int row = WriteEditorRow(table, layout.names, {fields}, nullptr, -1);
    EXPECT_EQ(table.cellText(Column::Dest, row).find(u'|'), std::u16string::npos);
    table.selectTask(row);
    EXPECT_EQ(PresetForEdit(table, layout.names).fields.destination, fields.destination);

    // OK takes only keys it can send.
    fields.action = Action::SendKeys;
    for (std::u16string_view keys : {u"Ctrl+C, Bogus", u""}) {
        fields.destination = keys;
        EXPECT_EQ(DestinationFieldError(layout.names, fields), kUnreadableKeysText);
    }
    fields.destination = u"Home, Shift+End, Delete";
    EXPECT_TRUE(DestinationFieldError(layout.names, fields).empty());
}

} // namespace
} // namespace keyvane

// The hotkey field's capture rules, as sequences of key events.
#include "hotkeys/HotKeyCapture.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace keyvane {
namespace {

constexpr auto P = KeyDecision::Pass;
constexpr auto S = KeyDecision::Swallow;
constexpr auto M = KeyDecision::SwallowAndMask;
constexpr bool kDown = true, kUp = false;

struct Step {
    unsigned key;
    bool down;
    KeyDecision decision;
    HotKeyCode captured = 0;
    bool extended = false;
};

struct Sequence {
    const char* name;
    std::vector<unsigned> heldAtStart;
    std::vector<Step> steps;
    HotKeyCode heldAfter = 0;
};

TEST(HotKeyCapture, SequencesGiveTheirDecisionsAndCodes) {
    using namespace vk;
    const Sequence sequences[] = {
        {"the label mnemonic's Alt is released to the system",
         {kLMenu},
         {{'H', kUp, P}, {kLMenu, kUp, P}}},
        {"a key taken under a held Alt the system saw is masked once",
         {kLMenu},
         {{kLMenu, kDown, P}, // its repeat
          {'K', kDown, M, kAltBit | 'K'},
          {'K', kUp, S},
          {'K', kDown, S, kAltBit | 'K'},
          {'K', kUp, S},
          {kLMenu, kUp, P}}},
        {"Alt pressed in the field is taken with its release",
         {},
         {{kLMenu, kDown, S},
          {kLMenu, kDown, S},
          {'K', kDown, S, kAltBit | 'K'},
          {'K', kUp, S},
          {kLMenu, kUp, S}}},
        {"Win pressed in the field, and Win held from Win+number",
         {kLWin},
         {{kRWin, kDown, S},
          {'J', kDown, M, kWinBit | 'J'},
          {'J', kUp, S},
          {kRWin, kUp, S},
          {kLWin, kUp, P}}},
        {"Ctrl+Shift with a taken key between is masked; Ctrl alone is not",
         {},
         {{kLControl, kDown, P},
          {kLShift, kDown, P},
          {'K', kDown, M, kCtrlBit | kShiftBit | 'K'},
          {'K', kUp, S},
          {kLShift, kUp, P},
          {'K', kDown, S, kCtrlBit | 'K'},
          {kLShift, kDown, P},
          {'K', kDown, M, kCtrlBit | kShiftBit | 'K'},
          {kLShift, kUp, P},
          {kLControl, kUp, P}}},
        {"Tab, Enter and Escape alone keep their meaning, with Ctrl they are taken",
         {},
         {{kTab, kDown, P},
          {kTab, kUp, P},
          {kLShift, kDown, P},
          {kTab, kDown, P},
          {kTab, kUp, P},
          {kEscape, kDown, P},
          {kEscape, kUp, P},
          {kRControl, kDown, P},
          {kReturn, kDown, M, kCtrlBit | kShiftBit | kKeypadBit | kReturn, true},
          {kReturn, kUp, S}},
         kCtrlBit | kShiftBit},
        {"a key released that went down before the capture reaches the system",
         {},
         {{'Q', kUp, P}, {kLWin, kUp, P}, {kPacket, kDown, P}, {kPacket, kUp, P}}},
        {"the mask key and typed text pass under a held Alt",
         {kRMenu},
         {{kMaskKey, kDown, P}, {kMaskKey, kUp, P}, {kProcessKey, kDown, P}, {kRMenu, kUp, P}}},
        {"Win+L locks: nothing stays held when the releases go to the lock screen",
         {},
         {{kLWin, kDown, S}, {'L', kDown, S}, {'K', kDown, S, 'K'}}},
        {"Ctrl+Alt+Del likewise, also on the keypad",
         {kLControl},
         {{kLMenu, kDown, S},
          {kDecimal, kDown, S},
          {kLControl, kDown, P},
          {kLMenu, kDown, S},
          {kDelete, kDown, S}}},
    };
    for (const Sequence& sequence : sequences) {
        HotKeyCapture capture(sequence.heldAtStart);
        int n = 0;
        for (const Step& step : sequence.steps) {
            const KeyVerdict verdict = capture.OnKey(step.key, step.extended, step.down);
            EXPECT_EQ(verdict.decision, step.decision) << sequence.name << ", step " << n;
            EXPECT_EQ(verdict.captured, step.captured) << sequence.name << ", step " << n;
            ++n;
        }
        EXPECT_EQ(capture.held(), sequence.heldAfter) << sequence.name;
    }
}

// The field focused in a window Windows kept behind: the keys typed in the
// program in front are that program's.
TEST(HotKeyCapture, KeysTypedInTheProgramInFrontAreNotEaten) {
    using namespace vk;
    constexpr FieldPlace kOwn{true, true}, kBehind{true, false}, kElsewhere{false, true};
    const struct {
        const char* name;
        std::vector<std::pair<FieldPlace, Step>> steps;
    } sequences[] = {
        {"letters, Alt and Win typed while the field's window is behind",
         {{kBehind, {'A', kDown, P}},
          {kBehind, {'A', kUp, P}},
          {kBehind, {kLMenu, kDown, P}},
          {kBehind, {'F', kDown, P}},
          {kBehind, {'F', kUp, P}},
          {kBehind, {kLMenu, kUp, P}},
          {kBehind, {kLWin, kDown, P}},
          {kBehind, {kLWin, kUp, P}},
          {kElsewhere, {'B', kDown, P}}}},
        {"Ctrl held in the other program counts once the field is in front",
         {{kBehind, {kLControl, kDown, P}},
          {kOwn, {'X', kDown, S, kCtrlBit | 'X'}},
          {kOwn, {'X', kUp, S}},
          {kOwn, {kLControl, kUp, P}}}},
        {"Alt held in the other program is masked as one the system saw",
         {{kBehind, {kLMenu, kDown, P}}, {kOwn, {'K', kDown, M, kAltBit | 'K'}}}},
        {"a key taken in front keeps its repeats and release when the front changes",
         {{kOwn, {kLMenu, kDown, S}},
          {kOwn, {'K', kDown, S, kAltBit | 'K'}},
          {kBehind, {'K', kDown, S}},
          {kBehind, {'K', kUp, S}},
          {kElsewhere, {kLMenu, kDown, S}},
          {kElsewhere, {kLMenu, kUp, S}},
          {kElsewhere, {'K', kDown, P}}}},
    };
    for (const auto& sequence : sequences) {
        HotKeyCapture capture;
        int n = 0;
        for (const auto& [place, step] : sequence.steps) {
            const KeyVerdict verdict = capture.OnHookKey(step.key, false, step.down, place);
            EXPECT_EQ(verdict.decision, step.decision) << sequence.name << ", step " << n;
            EXPECT_EQ(verdict.captured, step.captured) << sequence.name << ", step " << n;
            ++n;
        }
    }
}

TEST(HotKeyCapture, PressesOnlyAMissingHookLetThrough) {
    using namespace vk;
    const struct {
        unsigned key;
        bool repeat, proves;
    } cases[] = {
        {'K', false, true},      {0x74, false, true},         {kLMenu, false, true},
        {kMenu, false, true},    {kLWin, false, true},        {kMenu, true, false},
        {kShift, false, false},  {kControl, false, false},    {kTab, false, false},
        {kReturn, false, false}, {kEscape, false, false},     {kMaskKey, false, false},
        {kPacket, false, false}, {kProcessKey, false, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(OnlyWithoutHook(c.key, c.repeat), c.proves) << c.key << " repeat " << c.repeat;
}

} // namespace
} // namespace keyvane

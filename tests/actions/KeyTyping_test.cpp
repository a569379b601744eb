#include "actions/KeyTyping.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace keyvane {
namespace {

constexpr std::uintptr_t kOther = 7, kOurs = 9, kThird = 11;
constexpr std::uint8_t kCtrl = 0x11, kAlt = 0x12, kLWin = 0x5B;

// A keyboard, a clock and a desktop: keys the user holds until a given
// time, the window in front, and every event sent, applied to the keys.
class FakeDesk final : public TypingPort {
  public:
    std::uint64_t now = 0;
    std::map<std::uint8_t, std::uint64_t> userHoldsUntil; // key -> time it goes up
    std::uintptr_t front = kOther;
    std::uint64_t noFrontUntil = 0; // no window in front before this time
    std::uintptr_t before = kOther; // the window below ours
    bool above = false;
    std::size_t acceptLimit = SIZE_MAX; // events Send takes in all
    std::function<void()> afterSend;
    std::vector<KeyEvent> sent;
    std::vector<std::uintptr_t> sentTo;

    std::uint64_t NowMs() const override { return now; }
    bool KeyDown(std::uint8_t vk) const override {
        const auto user = userHoldsUntil.find(vk);
        return (user != userHoldsUntil.end() && now < user->second) || HeldByUs(vk, 0);
    }
    std::uintptr_t Foreground() const override { return now < noFrontUntil ? 0 : front; }
    bool IsOwnWindow(std::uintptr_t window) const override { return window == kOurs; }
    std::uintptr_t WindowBeforeOwn() const override { return before; }
    void BringToFront(std::uintptr_t window) override { front = window; }
    bool RunsAboveUs(std::uintptr_t) const override { return above; }
    std::size_t Send(std::span<const KeyEvent> events) override {
        std::size_t took = 0;
        for (const KeyEvent& event : events) {
            if (sent.size() >= acceptLimit) break;
            sent.push_back(event);
            sentTo.push_back(front);
            ++took;
        }
        if (afterSend) afterSend();
        return took;
    }

    bool HeldByUs(std::uint16_t vk, char16_t unit) const {
        int down = 0;
        for (const KeyEvent& e : sent)
            if (e.vk == vk && e.unit == unit) down += e.up ? -1 : 1;
        return down > 0;
    }
    // Every key sent down was sent up, and no key-up without its down.
    bool Balanced() const {
        std::map<std::pair<std::uint16_t, char16_t>, int> down;
        for (const KeyEvent& e : sent) {
            int& n = down[{e.vk, e.unit}];
            n += e.up ? -1 : 1;
            if (n < 0) return false;
        }
        for (const auto& [key, n] : down)
            if (n != 0) return false;
        return true;
    }
};

struct Typed {
    std::vector<std::u16string> told;
    std::uint64_t took = 0; // ms on the fake clock
};

// Drives the typer as the timer does, the clock moving by each delay asked.
Typed TypeOn(FakeDesk& desk, KeyInput input) {
    Typed run;
    KeyTyper typer(desk, [&](std::u16string text) { run.told.push_back(std::move(text)); });
    const std::uint64_t start = desk.now;
    typer.Start(std::move(input), u"Type text...");
    for (int steps = 0; steps < 100000; ++steps) {
        const std::optional<int> next = typer.Step();
        if (!next) break;
        desk.now += static_cast<std::uint64_t>(*next);
    }
    run.took = desk.now - start;
    return run;
}

bool Mentions(const Typed& run, std::u16string_view words) {
    return run.told.size() == 1 && run.told[0].find(words) != std::u16string::npos;
}

TEST(KeyTyping, TextBecomesUnicodeUnitsEnterAndTab) {
    const KeyInput input = TextKeyInput(u"a\r\nb\tc\nd\r\U0001F44B");
    auto unit = [](char16_t c, bool up) { return KeyEvent{0, c, up, false}; };
    auto key = [](std::uint16_t vk, bool up) { return KeyEvent{vk, 0, up, false}; };
    const std::vector<KeyEvent> expected = {
        unit(u'a', false),   unit(u'a', true),   key(0x0D, false),    key(0x0D, true),
        unit(u'b', false),   unit(u'b', true),   key(0x09, false),    key(0x09, true),
        unit(u'c', false),   unit(u'c', true),   key(0x0D, false),    key(0x0D, true),
        unit(u'd', false),   unit(u'd', true),   key(0x0D, false),    key(0x0D, true),
        unit(0xD83D, false), unit(0xD83D, true), unit(0xDC4B, false), unit(0xDC4B, true)};
    EXPECT_EQ(input.events, expected);
    // A batch never ends inside a surrogate pair.
    EXPECT_EQ(input.breaks, (std::vector<std::size_t>{2, 4, 6, 8, 10, 12, 14, 16, 20}));
}

TEST(KeyTyping, CombinationsPressModifiersFirstAndMarkExtendedKeys) {
    const HotKeyCode keys[] = {kCtrlBit | kShiftBit | 0x24, kKeypadBit | 0x24, kKeypadBit | 0x0D,
                               kWinBit | 'E'};
    const KeyInput input = SequenceKeyInput(keys);
    const std::vector<KeyEvent> expected = {
        {0x11, 0, false, false}, {0x10, 0, false, false}, {0x24, 0, false, true},
        {0x24, 0, true, true},   {0x10, 0, true, false},  {0x11, 0, true, false},
        {0x24, 0, false, false}, {0x24, 0, true, false}, // the keypad's Home
        {0x0D, 0, false, true},  {0x0D, 0, true, true},  // the keypad's Enter
        {0x5B, 0, false, true},  {'E', 0, false, false},  {'E', 0, true, false},
        {0x5B, 0, true, true}};
    EXPECT_EQ(input.events, expected);
    EXPECT_EQ(input.breaks, (std::vector<std::size_t>{6, 8, 10, 14}));
}

TEST(KeyTyping, WaitsForTheHotkeysModifiersAndNeverLiftsThem) {
    // The user lets go of Ctrl+Alt+Win 400 ms after the press.
    FakeDesk desk;
    desk.userHoldsUntil = {{kCtrl, 400}, {kAlt, 350}, {kLWin, 300}};
    const std::u16string text(300, u'x');
    const Typed run = TypeOn(desk, TextKeyInput(text + u"\r\nGr\u00FC\u00DFe \U0001F44B"));
    EXPECT_TRUE(run.told.empty());
    ASSERT_FALSE(desk.sent.empty());
    // First the mask, while Win is still down, so its release opens no Start.
    EXPECT_EQ(desk.sent[0], (KeyEvent{kMaskKey, 0, false, false}));
    EXPECT_EQ(desk.sent[1], (KeyEvent{kMaskKey, 0, true, false}));
    // Nothing for the user's keys; the text whole, in batches, after 400 ms.
    std::vector<KeyEvent> typed(desk.sent.begin() + 2, desk.sent.end());
    EXPECT_EQ(typed, TextKeyInput(text + u"\r\nGr\u00FC\u00DFe \U0001F44B").events);
    EXPECT_TRUE(desk.Balanced());
    EXPECT_GE(run.took, 400u);
    EXPECT_LT(run.took, 400u + 1000u);
}

TEST(KeyTyping, TypesNothingWhereItWouldGoWrong) {
    const struct {
        const char* name;
        std::function<void(FakeDesk&)> set;
        std::u16string_view told;
    } cases[] = {
        {"modifier held past the wait", [](FakeDesk& d) { d.userHoldsUntil[kCtrl] = 5000; },
         u"nothing typed: Ctrl stayed down"},
        {"window above our integrity level", [](FakeDesk& d) { d.above = true; }, u"administrator"},
        {"our window in front, none before it",
         [](FakeDesk& d) {
             d.front = kOurs;
             d.before = 0;
         },
         u"no other program's window"},
        {"no window comes to the front", [](FakeDesk& d) { d.front = 0; },
         u"did not come to the front"},
        {"the system takes nothing", [](FakeDesk& d) { d.acceptLimit = 0; },
         u"took none of the keys"},
    };
    for (const auto& c : cases) {
        FakeDesk desk;
        c.set(desk);
        const Typed run = TypeOn(desk, TextKeyInput(u"secret"));
        EXPECT_TRUE(desk.sent.empty()) << c.name;
        EXPECT_TRUE(Mentions(run, c.told)) << c.name;
        EXPECT_LE(run.took, KeyTyper::kWaitMs + KeyTyper::kPollMs) << c.name;
    }
}

TEST(KeyTyping, StopsHalfWayWithEveryKeyUp) {
    // Another window comes to the front after the first batch.
    {
        FakeDesk desk;
        desk.afterSend = [&] { desk.front = kThird; };
        const Typed run = TypeOn(desk, TextKeyInput(std::u16string(500, u'y')));
        EXPECT_EQ(desk.sent.size(), KeyTyper::kBatchEvents);
        EXPECT_TRUE(desk.Balanced());
        EXPECT_TRUE(Mentions(run, u"stopped half-way: another window"));
    }
    // A moment with no window in front, as while the front changes, is no stop.
    {
        FakeDesk desk;
        int sends = 0;
        desk.afterSend = [&] {
            if (++sends == 1) desk.noFrontUntil = desk.now + 50;
        };
        const std::u16string text(200, u'z');
        const Typed run = TypeOn(desk, TextKeyInput(text));
        EXPECT_TRUE(run.told.empty());
        EXPECT_EQ(desk.sent, TextKeyInput(text).events);
    }
    // The system takes part of a batch, in the middle of Ctrl+V.
    {
        FakeDesk desk;
        desk.acceptLimit = 6; // up to V's key-down
        desk.afterSend = [&] { desk.acceptLimit = SIZE_MAX; };
        const HotKeyCode keys[] = {kCtrlBit | 'C', kCtrlBit | 'V'};
        const Typed run = TypeOn(desk, SequenceKeyInput(keys));
        EXPECT_TRUE(desk.Balanced());
        EXPECT_EQ(desk.sent.size(), 8u);
        EXPECT_TRUE(Mentions(run, u"only part"));
    }
}

TEST(KeyTyping, RunNowTypesIntoTheWindowBeforeOurs) {
    FakeDesk desk;
    desk.front = kOurs;
    desk.before = kOther;
    const Typed run = TypeOn(desk, TextKeyInput(u"hi"));
    EXPECT_TRUE(run.told.empty());
    EXPECT_EQ(desk.sent.size(), 4u);
    EXPECT_EQ(desk.sentTo, (std::vector<std::uintptr_t>(4, kOther)));
}

TEST(KeyTyping, IntegrityLevels) {
    EXPECT_FALSE(OutranksUs(std::nullopt, 0x3000)); // no levels on this system
    EXPECT_FALSE(OutranksUs(0x2000, 0x2000));
    EXPECT_FALSE(OutranksUs(0x3000, 0x2000));
    EXPECT_TRUE(OutranksUs(0x2000, 0x3000));
    EXPECT_TRUE(OutranksUs(0x2000, std::nullopt)); // a process we may not read
}

} // namespace
} // namespace keyvane

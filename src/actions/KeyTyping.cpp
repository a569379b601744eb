#include "actions/KeyTyping.h"

#include <algorithm>

namespace keyvane {

namespace {

constexpr std::uint16_t kVkTab = 0x09, kVkReturn = 0x0D, kVkShift = 0x10, kVkControl = 0x11,
                        kVkMenu = 0x12, kVkLWin = 0x5B, kVkRWin = 0x5C;

void AddKey(KeyInput& input, std::uint16_t vk, bool extended) {
    input.events.push_back({vk, 0, false, extended});
    input.events.push_back({vk, 0, true, extended});
}

bool IsHighSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

} // namespace

KeyInput TextKeyInput(std::u16string_view text) {
    KeyInput input;
    input.events.reserve(text.size() * 2);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        const char16_t next = i + 1 < text.size() ? text[i + 1] : u'\0';
        if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && next == u'\n') ++i;
            AddKey(input, kVkReturn, false);
        } else if (c == u'\t') {
            AddKey(input, kVkTab, false);
        } else {
            input.events.push_back({0, c, false, false});
            input.events.push_back({0, c, true, false});
            // A pair goes whole: a stop between its halves would type half
            // a character.
            if (IsHighSurrogate(c) && IsLowSurrogate(next)) continue;
        }
        input.breaks.push_back(input.events.size());
    }
    return input;
}

KeyInput SequenceKeyInput(std::span<const HotKeyCode> keys) {
    // Ctrl, Shift, Alt, Win: the order the Hotkey column names them in.
    static constexpr std::pair<HotKeyCode, std::uint16_t> kModifierKeys[] = {
        {kCtrlBit, kVkControl}, {kShiftBit, kVkShift}, {kAltBit, kVkMenu}, {kWinBit, kVkLWin}};
    KeyInput input;
    for (HotKeyCode code : keys) {
        std::vector<std::uint16_t> down;
        for (const auto& [bit, vk] : kModifierKeys)
            if (code & bit) down.push_back(vk);
        for (std::uint16_t vk : down)
            input.events.push_back({vk, 0, false, IsExtendedVirtualKey(vk, false)});
        const std::uint16_t key = static_cast<std::uint16_t>(code & 0xFF);
        if (key != 0) AddKey(input, key, IsExtendedVirtualKey(key, (code & kKeypadBit) != 0));
        for (auto vk = down.rbegin(); vk != down.rend(); ++vk)
            input.events.push_back({*vk, 0, true, IsExtendedVirtualKey(*vk, false)});
        input.breaks.push_back(input.events.size());
    }
    return input;
}

bool OutranksUs(std::optional<std::uint32_t> own, std::optional<std::uint32_t> theirs) {
    if (!own) return false;
    return !theirs || *theirs > *own;
}

void KeyTyper::Start(KeyInput input, std::u16string label) {
    if (input.events.empty()) return;
    jobs_.push_back(Job{std::move(input), std::move(label)});
}

std::optional<int> KeyTyper::Step() {
    if (jobs_.empty()) return std::nullopt;
    Job& job = jobs_.front();
    switch (job.phase) {
    case Phase::Fresh:
        return Begin(job);
    case Phase::Waiting:
        return Wait(job);
    case Phase::Typing:
        return Type(job);
    }
    return std::nullopt;
}

std::optional<int> KeyTyper::Begin(Job& job) {
    job.deadline = port_.NowMs() + kWaitMs;
    MaskWinIfHeld(job);
    const std::uintptr_t front = port_.Foreground();
    if (front != 0 && port_.IsOwnWindow(front)) {
        // Run now, or a press while our window is in front: the text is for
        // the program the user was in before, never for our own window.
        const std::uintptr_t before = port_.WindowBeforeOwn();
        if (before == 0) return Finish(u"nothing typed: no other program's window is open.");
        port_.BringToFront(before);
        job.target = before;
    } else {
        job.target = front; // 0: the next window to come up
    }
    job.phase = Phase::Waiting;
    return Wait(job);
}

std::optional<int> KeyTyper::Wait(Job& job) {
    MaskWinIfHeld(job);
    const std::u16string held = HeldModifiers();
    const std::uintptr_t front = port_.Foreground();
    if (job.target == 0 && front != 0 && !port_.IsOwnWindow(front)) job.target = front;
    const bool inFront = front != 0 && front == job.target;
    // No window in front happens for a moment while the front changes.
    if (job.sent > 0 && front != 0 && !inFront)
        return Finish(u"stopped half-way: another window came to the front.");
    if (!held.empty() || !inFront) {
        if (port_.NowMs() < job.deadline) return kPollMs;
        if (!held.empty())
            return Finish((job.sent > 0 ? u"stopped half-way: " : u"nothing typed: ") + held +
                          u" stayed down. Let go of the hotkey's keys within a second.");
        return Finish(job.sent > 0
                          ? u"stopped half-way: the window typed into left the front."
                          : u"nothing typed: the window to type into did not come to the front.");
    }
    if (job.sent == 0 && port_.RunsAboveUs(job.target))
        return Finish(u"nothing typed: the program in front runs with higher rights than "
                      u"Keyvane (as administrator), and Windows lets no program type into it "
                      u"from below. Start Keyvane as administrator to type there.");
    job.phase = Phase::Typing;
    return Type(job);
}

std::optional<int> KeyTyper::Type(Job& job) {
    const std::uintptr_t front = port_.Foreground();
    if (front != 0 && front != job.target)
        return Finish(u"stopped half-way: another window came to the front.");
    if (front == 0 || !HeldModifiers().empty()) {
        // The user pressed a modifier between batches: it would turn the
        // rest into shortcuts. Nothing of ours is down here.
        job.phase = Phase::Waiting;
        job.deadline = port_.NowMs() + kWaitMs;
        return kPollMs;
    }
    const std::vector<std::size_t>& breaks = job.input.breaks;
    auto end = std::lower_bound(breaks.begin(), breaks.end(), job.sent + kBatchEvents);
    const std::size_t stop = end == breaks.end() ? breaks.back() : *end;
    const std::span<const KeyEvent> batch =
        std::span<const KeyEvent>(job.input.events).subspan(job.sent, stop - job.sent);
    const std::size_t took = port_.Send(batch);
    if (took < batch.size()) {
        ReleaseHeld(batch.first(took));
        return Finish(job.sent + took == 0 ? u"nothing typed: Windows took none of the keys."
                                           : u"stopped half-way: Windows took only part of "
                                             u"the keys.");
    }
    job.sent = stop;
    if (job.sent >= job.input.events.size()) return Finish({});
    return kBatchPauseMs;
}

std::optional<int> KeyTyper::Finish(std::u16string why) {
    const std::u16string label = std::move(jobs_.front().label);
    jobs_.pop_front();
    if (!why.empty() && told_) told_(label + u": " + why);
    if (jobs_.empty()) return std::nullopt;
    return 0;
}

void KeyTyper::ReleaseHeld(std::span<const KeyEvent> sent) {
    // Keys by virtual key or Unicode unit, in the order they went down.
    std::vector<KeyEvent> down;
    for (const KeyEvent& event : sent) {
        auto same = std::find_if(down.begin(), down.end(), [&](const KeyEvent& d) {
            return d.vk == event.vk && d.unit == event.unit;
        });
        if (!event.up && same == down.end()) down.push_back(event);
        if (event.up && same != down.end()) down.erase(same);
    }
    std::vector<KeyEvent> ups;
    for (auto key = down.rbegin(); key != down.rend(); ++key) {
        KeyEvent up = *key;
        up.up = true;
        ups.push_back(up);
    }
    if (!ups.empty()) port_.Send(ups);
}

std::u16string KeyTyper::HeldModifiers() const {
    std::u16string held;
    auto add = [&](bool down, std::u16string_view word) {
        if (!down) return;
        if (!held.empty()) held += u'+';
        held += word;
    };
    add(port_.KeyDown(kVkControl), u"Ctrl");
    add(port_.KeyDown(kVkShift), u"Shift");
    add(port_.KeyDown(kVkMenu), u"Alt");
    add(port_.KeyDown(kVkLWin) || port_.KeyDown(kVkRWin), u"Win");
    return held;
}

void KeyTyper::MaskWinIfHeld(Job& job) {
    if (job.winMasked || !(port_.KeyDown(kVkLWin) || port_.KeyDown(kVkRWin))) return;
    const KeyEvent mask[] = {{kMaskKey, 0, false, false}, {kMaskKey, 0, true, false}};
    port_.Send(mask);
    job.winMasked = true;
}

} // namespace keyvane

// Typing for "Type text..." and "Send keys...": a text or a key sequence
// turned into key input, and the rules that send it safely, as a small state
// machine the Windows side drives from a timer on the user-interface thread.
//
// The rules: the hotkey's Ctrl, Alt, Shift and Win may still be down when the
// press arrives, and the system adds the held keys to whatever is sent, so
// typing waits (bounded) until they are up, and never sends a key-up for a
// key the user holds. A Win key still down is masked, so letting go of it
// cannot open the Start menu. Batches end only where no key is held, and a
// stop half-way sends up every key it sent down. A window that runs at a
// higher integrity level than ours takes no input from us and the system
// does not say so: nothing is typed into it, and the user is told why.
// Typing stops when another window comes to the front.
#pragma once

#include "hotkeys/HotKeyText.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace keyvane {

// One key event as the system's input call takes it. unit != 0: the 16-bit
// unit typed as Unicode input (vk is 0); otherwise the virtual key.
struct KeyEvent {
    std::uint16_t vk = 0;
    char16_t unit = 0;
    bool up = false;
    bool extended = false;

    friend bool operator==(const KeyEvent&, const KeyEvent&) = default;
};

// Key events and the points between them where no key is held (event
// counts, ascending, the last one the whole length): a batch ends only
// there.
struct KeyInput {
    std::vector<KeyEvent> events;
    std::vector<std::size_t> breaks;
};

// A text as typed: each 16-bit unit as Unicode input, down then up (a
// surrogate pair as its two units); a line break (CR LF, or a lone CR or
// LF) as Enter and a tab as Tab, so programs that act on those keys see them.
KeyInput TextKeyInput(std::u16string_view text);

// Key combinations as pressed: per combination its modifiers down (Ctrl,
// Shift, Alt, Win), the key down and up, the modifiers up in reverse order.
KeyInput SequenceKeyInput(std::span<const HotKeyCode> keys);

// Integrity levels as the system numbers them (the last sub-authority of
// the level's SID). own unknown: a system without levels, nothing refuses
// input. theirs unknown: a process we may not read, taken as higher.
bool OutranksUs(std::optional<std::uint32_t> own, std::optional<std::uint32_t> theirs);

// What the typing needs of the system. Windows: GetAsyncKeyState,
// GetForegroundWindow, the process token's integrity level, SendInput.
class TypingPort {
  public:
    virtual ~TypingPort() = default;
    virtual std::uint64_t NowMs() const = 0;
    // The key is down now, for whatever reason (the user's hand or ours).
    virtual bool KeyDown(std::uint8_t vk) const = 0;
    // The window in front (0: none), and whether it is one of ours.
    virtual std::uintptr_t Foreground() const = 0;
    virtual bool IsOwnWindow(std::uintptr_t window) const = 0;
    // The window that was in front before ours (0: none), and bringing it back.
    virtual std::uintptr_t WindowBeforeOwn() const = 0;
    virtual void BringToFront(std::uintptr_t window) = 0;
    // The window's process runs at a higher integrity level than ours.
    virtual bool RunsAboveUs(std::uintptr_t window) const = 0;
    // Sends the events in order; returns how many the system took.
    virtual std::size_t Send(std::span<const KeyEvent> events) = 0;
};

// The unassigned virtual key pressed to mask a held Win key: with a key
// between its down and up, letting go of Win opens no Start menu.
inline constexpr std::uint16_t kMaskKey = 0xE8;

class KeyTyper {
  public:
    // How long typing waits for held modifiers or the window to come up.
    static constexpr std::uint64_t kWaitMs = 1000;
    static constexpr int kPollMs = 10;
    // Key events per batch, and the pause between batches: a long text
    // leaves the hotkeys and the window free between them.
    static constexpr std::size_t kBatchEvents = 64;
    static constexpr int kBatchPauseMs = 5;

    // told gets a failure in the user's words; label names the action in it.
    KeyTyper(TypingPort& port, std::function<void(std::u16string)> told)
        : port_(port), told_(std::move(told)) {}

    // Queues the input; it starts after the input queued before it.
    void Start(KeyInput input, std::u16string label);
    // Does what is due; returns the milliseconds until it wants to run
    // again, or none when nothing is left to do.
    std::optional<int> Step();
    bool Busy() const { return !jobs_.empty(); }

  private:
    enum class Phase { Fresh, Waiting, Typing };
    struct Job {
        KeyInput input;
        std::u16string label;
        Phase phase = Phase::Fresh;
        std::uintptr_t target = 0;
        std::uint64_t deadline = 0;
        std::size_t sent = 0; // events sent
        bool winMasked = false;
    };

    std::optional<int> Begin(Job& job);
    std::optional<int> Wait(Job& job);
    std::optional<int> Type(Job& job);
    // Ends the job at the front, telling why when why is not empty.
    std::optional<int> Finish(std::u16string why);
    // Up for every key the events sent down and left down.
    void ReleaseHeld(std::span<const KeyEvent> sent);
    // Which of the hotkey's modifiers are down, in words; empty: none.
    std::u16string HeldModifiers() const;
    void MaskWinIfHeld(Job& job);

    TypingPort& port_;
    std::function<void(std::u16string)> told_;
    std::deque<Job> jobs_;
};

// Windows only (KeyTyping_win32.cpp): a KeyTyper on the system's keyboard,
// stepped by a thread timer of the user-interface thread, so the window and
// the hotkeys stay free between batches. Type returns at once.
class Typist {
  public:
    virtual ~Typist() = default;
    virtual void Type(KeyInput input, std::u16string label) = 0;
};
std::unique_ptr<Typist> MakeSystemTypist(std::function<void(std::u16string)> told);

} // namespace keyvane

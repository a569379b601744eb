// What the driver's command families share: a command's table entry, its
// arguments read in one place, output, and the look-ups of windows.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace driver {

struct Failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

[[noreturn]] void Fail(const std::wstring& what);
void Print(const std::wstring& line);
// The numbers joined by single spaces, as the runner splits them.
std::wstring Numbers(std::initializer_list<long long> numbers);
std::wstring Rect(const RECT& r);

unsigned long long Number(const std::wstring& text);
// A number or one of the few message names the cases use.
UINT MessageNumber(const std::wstring& name);
std::wstring WindowText(HWND w);
std::wstring ClassOf(HWND w);
// A top-level window by exact caption, or CLASS|CAPTION; null when none.
HWND FindTopLevel(const std::wstring& spec);
// A control by id among all the window's descendants.
HWND Child(HWND parent, const std::wstring& id);
void Post(HWND w, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
// SendMessageTimeoutW that fails the command when the window does not answer.
DWORD_PTR Send(HWND w, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

// Polls a condition until it holds or the deadline passes.
template <class Condition> bool WaitFor(DWORD timeoutMs, Condition condition) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition()) return true;
        if (GetTickCount64() >= deadline) return false;
        Sleep(20);
    }
}

// One command's words; the table's usage has already checked their count.
class Args {
  public:
    explicit Args(const std::vector<std::wstring>& words) : words_(words) {}
    const std::wstring& operator[](std::size_t i) const { return words_[i]; }
    bool Has(std::size_t i) const { return i < words_.size(); }
    bool Is(std::size_t i, const wchar_t* word) const { return Has(i) && words_[i] == word; }
    long long Int(std::size_t i) const { return static_cast<long long>(Number(words_[i])); }
    unsigned long long Opt(std::size_t i, unsigned long long fallback) const {
        return Has(i) ? Number(words_[i]) : fallback;
    }
    DWORD Timeout(std::size_t i) const { return static_cast<DWORD>(Opt(i, 10000)); }
    // The top-level window named by word i; fails when there is none.
    HWND Window(std::size_t i) const;
    // The control whose id is word i + 1 inside the window named by word i.
    HWND Control(std::size_t i) const { return Child(Window(i), words_[i + 1]); }

  private:
    const std::vector<std::wstring>& words_;
};

struct Command {
    const wchar_t* name;
    // The arguments, optional ones in brackets after the others ("WINDOW
    // [TIMEOUT]"): their count is checked from it.
    const wchar_t* usage;
    void (*run)(const Args& args);
};

std::span<const Command> WindowCommands();
std::span<const Command> KeyCommands();
std::span<const Command> ListCommands();
std::span<const Command> ProcessCommands();

} // namespace driver

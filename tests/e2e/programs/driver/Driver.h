// What the driver's command families share: a command's table entry, its
// arguments read in one place, output, and the look-ups of windows.
#pragma once

#include <windows.h>

#include <span>
#include <string>
#include <vector>

namespace driver {

// Ends the run with "error WHAT".
[[noreturn]] void Fail(const std::wstring& what);
void Print(const std::wstring& line);
// "LEFT TOP RIGHT BOTTOM".
std::wstring Rect(const RECT& r);
// The pieces between the separators, empty ones left out.
std::vector<std::wstring> Split(const std::wstring& text, wchar_t separator);
// Decimal or 0x hex.
unsigned long long Number(const std::wstring& text);

// The top-level windows (parent null) or all of parent's descendants.
std::vector<HWND> Windows(HWND parent);
std::wstring WindowText(HWND w);
// The text of a UTF-16 LE file, its byte order mark left out.
std::wstring FileText(const std::wstring& path);
std::wstring Caption(HWND w);
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

// One command's words, the name first; the table's usage has checked their count.
struct Args : std::vector<std::wstring> {
    bool Has(std::size_t i) const { return i < size(); }
    bool Is(std::size_t i, const wchar_t* word) const { return Has(i) && at(i) == word; }
    int Int(std::size_t i) const { return static_cast<int>(Number(at(i))); }
    unsigned long long Opt(std::size_t i, unsigned long long fallback) const {
        return Has(i) ? Number(at(i)) : fallback;
    }
    DWORD Timeout(std::size_t i) const { return static_cast<DWORD>(Opt(i, 10000)); }
    // The top-level window named by word i; fails when there is none.
    HWND Window(std::size_t i) const {
        if (const HWND w = FindTopLevel(at(i))) return w;
        Fail(L"no window " + at(i));
    }
    // The control whose id is word i + 1 inside the window named by word i.
    HWND Control(std::size_t i) const { return Child(Window(i), at(i + 1)); }
};

struct Command {
    // The name, then the arguments, optional ones in brackets after the
    // others ("find WINDOW [TIMEOUT]"): their count is checked from it.
    const wchar_t* usage;
    void (*run)(const Args& args);
};

extern const std::span<const Command> kWindowCommands, kKeyCommands, kListCommands,
    kProcessCommands;

} // namespace driver

// The end-to-end driver: a small Windows program that the runner (run.py)
// starts under Wine to act on Keyvane's windows from outside, as a user or
// the system would. Results go to a file, not stdout: a child process Wine
// starts may keep the caller's stdout open.
//
//   kvdriver.exe OUTFILE COMMAND ARGS... [; COMMAND ARGS...]...
//
// Commands run in order; the first failure ends the output with "error WHY",
// a run without one with "ok". The commands are in driver/, a table per
// family. WINDOW is a top-level window's exact caption, or CLASS|CAPTION
// (hidden windows count); ID a control's id among its descendants; times
// are in milliseconds.
#include "driver/Driver.h"

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <stdexcept>

namespace driver {
namespace {

FILE* out = nullptr;

std::string Narrow(const std::wstring& w) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0,
                                      nullptr, nullptr);
    std::string s(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr,
                        nullptr);
    return s;
}

// Finds the command and checks the count of its arguments against its usage.
void Run(const Args& words) {
    for (const auto family : {kWindowCommands, kKeyCommands, kListCommands, kProcessCommands})
        for (const Command& command : family) {
            const auto usage = Split(command.usage, L' ');
            if (words[0] != usage[0]) continue;
            std::size_t needed = 1;
            while (needed < usage.size() && usage[needed][0] != L'[')
                ++needed;
            if (words.size() < needed || words.size() > usage.size())
                Fail(L"usage: " + std::wstring(command.usage));
            return command.run(words);
        }
    Fail(L"unknown command " + words[0]);
}

} // namespace

void Fail(const std::wstring& what) {
    throw std::runtime_error(Narrow(what));
}

void Print(const std::wstring& line) {
    const std::string s = Narrow(line) + "\n";
    std::fwrite(s.data(), 1, s.size(), out);
    std::fflush(out);
}

std::wstring Rect(const RECT& r) {
    return std::to_wstring(r.left) + L" " + std::to_wstring(r.top) + L" " +
           std::to_wstring(r.right) + L" " + std::to_wstring(r.bottom);
}

std::vector<std::wstring> Split(const std::wstring& text, wchar_t separator) {
    std::vector<std::wstring> pieces;
    for (std::size_t start = 0, end; start < text.size(); start = end + 1) {
        end = std::min(text.find(separator, start), text.size());
        if (end > start) pieces.push_back(text.substr(start, end - start));
    }
    return pieces;
}

unsigned long long Number(const std::wstring& text) {
    wchar_t* end = nullptr;
    const unsigned long long v = std::wcstoull(text.c_str(), &end, 0);
    if (text.empty() || *end) Fail(L"not a number: " + text);
    return v;
}

std::vector<HWND> Windows(HWND parent) {
    std::vector<HWND> found;
    const WNDENUMPROC add = [](HWND w, LPARAM p) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(p)->push_back(w);
        return TRUE;
    };
    if (parent)
        EnumChildWindows(parent, add, reinterpret_cast<LPARAM>(&found));
    else
        EnumWindows(add, reinterpret_cast<LPARAM>(&found));
    return found;
}

std::wstring WindowText(HWND w) {
    // Cross-process WM_GETTEXT is marshalled by the system; GetWindowTextW
    // would not ask another process's controls.
    std::wstring text(static_cast<std::size_t>(SendMessageW(w, WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        SendMessageW(w, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
    return text;
}

std::wstring FileText(const std::wstring& path) {
    FILE* f = _wfopen(path.c_str(), L"rb");
    if (!f) Fail(L"cannot open " + path);
    std::wstring text;
    wchar_t unit = 0;
    while (std::fread(&unit, sizeof unit, 1, f) == 1)
        text.push_back(unit);
    std::fclose(f);
    if (!text.empty() && text[0] == 0xFEFF) text.erase(0, 1);
    return text;
}

std::wstring Caption(HWND w) {
    wchar_t caption[512] = {};
    GetWindowTextW(w, caption, 512);
    return caption;
}

std::wstring ClassOf(HWND w) {
    wchar_t name[256] = {};
    GetClassNameW(w, name, 256);
    return name;
}

// A visible match wins over hidden ones (a popup menu's class has a hidden
// window of its own besides the open menu).
HWND FindTopLevel(const std::wstring& spec) {
    const auto bar = spec.find(L'|');
    const std::wstring className = bar == std::wstring::npos ? L"" : spec.substr(0, bar);
    const std::wstring caption = spec.substr(bar + 1); // npos + 1 is 0: no class given
    HWND found = nullptr;
    for (const HWND w : Windows(nullptr)) {
        if (Caption(w) != caption || (!className.empty() && ClassOf(w) != className)) continue;
        if (IsWindowVisible(w)) return w;
        if (!found) found = w;
    }
    return found;
}

// The main window keeps its controls on a page dialog inside it, so the
// search goes below the direct children.
HWND Child(HWND parent, const std::wstring& id) {
    const int n = static_cast<int>(Number(id));
    if (const HWND direct = GetDlgItem(parent, n)) return direct;
    for (const HWND w : Windows(parent))
        if (GetDlgCtrlID(w) == n) return w;
    Fail(L"no child control " + id);
}

void Post(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!PostMessageW(w, message, wParam, lParam)) Fail(L"PostMessageW failed");
}

DWORD_PTR Send(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(w, message, wParam, lParam, SMTO_ABORTIFHUNG, 10000, &result))
        Fail(L"no answer to message " + std::to_wstring(message));
    return result;
}

} // namespace driver

int wmain(int argc, wchar_t** argv) {
    if (argc < 3 || !(driver::out = _wfopen(argv[1], L"wb"))) return 2;
    int code = 0;
    try {
        driver::Args command;
        for (int i = 2; i <= argc; ++i) {
            if (i < argc && std::wcscmp(argv[i], L";") != 0) {
                command.push_back(argv[i]);
            } else if (!command.empty()) {
                driver::Run(command);
                command.clear();
            }
        }
        driver::Print(L"ok");
    } catch (const std::exception& e) {
        const std::string line = std::string("error ") + e.what() + "\n";
        std::fwrite(line.data(), 1, line.size(), driver::out);
        code = 1;
    }
    std::fclose(driver::out);
    return code;
}

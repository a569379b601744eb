// The end-to-end driver: a small Windows program that the runner (run.py)
// starts under Wine to act on Keyvane's windows from outside, as a user or
// the system would. Results go to a file, not stdout: a child process Wine
// starts may keep the caller's stdout open.
//
//   kvdriver.exe OUTFILE COMMAND ARGS... [; COMMAND ARGS...]...
//
// Commands run in order; the first failure stops the run with "error WHY",
// a run without one ends with "ok". The commands are in driver/, one file
// per family, each entry with its usage. A WINDOW argument is a top-level
// window's exact caption, or CLASS|CAPTION; hidden windows count. An ID is a
// control's id among all the window's descendants. Times are in
// milliseconds. Numbers may be decimal or 0x hex.
#include "driver/Driver.h"

#include <cstdio>
#include <cwchar>

namespace driver {
namespace {

FILE* out = nullptr;

std::string Narrow(const std::wstring& w) {
    if (w.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0,
                                      nullptr, nullptr);
    std::string s(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr,
                        nullptr);
    return s;
}

const Command* Find(const std::wstring& name) {
    for (const auto family : {WindowCommands(), KeyCommands(), ListCommands(), ProcessCommands()})
        for (const Command& c : family)
            if (name == c.name) return &c;
    Fail(L"unknown command " + name);
}

// Checks the count of arguments against the usage, then runs the command.
void Run(const std::vector<std::wstring>& words) {
    const Command& command = *Find(words[0]);
    std::size_t needed = 0, most = 0;
    for (const wchar_t* p = command.usage; *p;) {
        while (*p == L' ')
            ++p;
        if (!*p) break;
        if (*p != L'[' && needed == most) ++needed;
        ++most;
        while (*p && *p != L' ')
            ++p;
    }
    const std::size_t given = words.size() - 1;
    if (given < needed || given > most)
        Fail(words[0] + L": usage " + words[0] + L" " + command.usage);
    command.run(Args(words));
}

} // namespace

void Fail(const std::wstring& what) {
    throw Failure(Narrow(what));
}

void Print(const std::wstring& line) {
    const std::string s = Narrow(line) + "\n";
    std::fwrite(s.data(), 1, s.size(), out);
    std::fflush(out);
}

std::wstring Numbers(std::initializer_list<long long> numbers) {
    std::wstring text;
    for (const long long n : numbers)
        text += (text.empty() ? L"" : L" ") + std::to_wstring(n);
    return text;
}

std::wstring Rect(const RECT& r) {
    return Numbers({r.left, r.top, r.right, r.bottom});
}

unsigned long long Number(const std::wstring& text) {
    wchar_t* end = nullptr;
    const unsigned long long v = std::wcstoull(text.c_str(), &end, 0);
    if (text.empty() || *end) Fail(L"not a number: " + text);
    return v;
}

UINT MessageNumber(const std::wstring& name) {
    static const struct {
        const wchar_t* name;
        UINT value;
    } known[] = {{L"WM_CLOSE", WM_CLOSE},
                 {L"WM_COMMAND", WM_COMMAND},
                 {L"WM_QUERYENDSESSION", WM_QUERYENDSESSION},
                 {L"WM_ENDSESSION", WM_ENDSESSION},
                 {L"WM_SYSCOMMAND", WM_SYSCOMMAND},
                 {L"WM_NULL", WM_NULL},
                 {L"BM_CLICK", BM_CLICK},
                 {L"WM_USER", WM_USER}};
    for (const auto& k : known)
        if (name == k.name) return k.value;
    return static_cast<UINT>(Number(name));
}

std::wstring WindowText(HWND w) {
    // Cross-process WM_GETTEXT is marshalled by the system; GetWindowTextW
    // would not ask another process's controls.
    const LRESULT n = SendMessageW(w, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
    const LRESULT got =
        SendMessageW(w, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(got));
    return text;
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
    struct Search {
        std::wstring className; // empty: any class
        std::wstring caption;
        HWND found;
    } search{bar == std::wstring::npos ? L"" : spec.substr(0, bar),
             bar == std::wstring::npos ? spec : spec.substr(bar + 1), nullptr};
    EnumWindows(
        [](HWND w, LPARAM p) -> BOOL {
            auto* s = reinterpret_cast<Search*>(p);
            wchar_t caption[512] = {};
            GetWindowTextW(w, caption, 512);
            if (s->caption != caption) return TRUE;
            if (!s->className.empty() && s->className != ClassOf(w)) return TRUE;
            if (!s->found) s->found = w;
            if (!IsWindowVisible(w)) return TRUE;
            s->found = w;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The main window keeps its controls on a page dialog inside it, so the
// search goes below the direct children.
HWND Child(HWND parent, const std::wstring& id) {
    struct Search {
        int id;
        HWND found;
    } search{static_cast<int>(Number(id)), nullptr};
    search.found = GetDlgItem(parent, search.id);
    if (!search.found)
        EnumChildWindows(
            parent,
            [](HWND w, LPARAM p) -> BOOL {
                auto* s = reinterpret_cast<Search*>(p);
                if (GetDlgCtrlID(w) != s->id) return TRUE;
                s->found = w;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&search));
    if (!search.found) Fail(L"no child control " + id);
    return search.found;
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

HWND Args::Window(std::size_t i) const {
    const HWND w = FindTopLevel(words_[i]);
    if (!w) Fail(L"no window " + words_[i]);
    return w;
}

} // namespace driver

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    driver::out = _wfopen(argv[1], L"wb");
    if (!driver::out) return 2;
    int code = 0;
    try {
        std::vector<std::wstring> command;
        for (int i = 2; i <= argc; ++i) {
            if (i == argc || std::wcscmp(argv[i], L";") == 0) {
                if (!command.empty()) driver::Run(command);
                command.clear();
            } else {
                command.push_back(argv[i]);
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

// The end-to-end driver: a small Windows program that the runner (run.py)
// starts under Wine to act on Keyvane's windows from outside, as a user or
// the system would. Results go to a file, not stdout: a child process Wine
// starts may keep the caller's stdout open.
//
//   kvdriver.exe OUTFILE COMMAND ARGS... [; COMMAND ARGS...]...
//
// Commands run in order; the first failure stops the run. A WINDOW argument
// is a top-level window's exact caption, or CLASS|CAPTION; hidden windows
// count. Times are in milliseconds. Numbers may be decimal or 0x hex.
//
//   find WINDOW [TIMEOUT]            wait until it exists; prints "hwnd H pid P"
//   gone WINDOW [TIMEOUT]            wait until no such window exists
//   exited PID [TIMEOUT]             wait until the process ends; prints "exit CODE"
//   post WINDOW MSG [WPARAM [LPARAM]]   PostMessageW; MSG is a number or a WM_ name
//   send WINDOW MSG [WPARAM [LPARAM]]   SendMessageTimeoutW; prints "result R"
//   close WINDOW                     post WM_CLOSE (what taskkill without /F does)
//   command WINDOW ID                post WM_COMMAND with ID
//   click WINDOW ID                  post BM_CLICK to the child control ID
//   tray WINDOW LPARAM               post the tray callback (message 1025)
//   endsession WINDOW [logoff]       send WM_QUERYENDSESSION, then WM_ENDSESSION
//                                    with its answer; prints "query R"
//   keys KEY+KEY+... [COUNT]         press the keys in order, release in reverse
//                                    (SendInput), COUNT times (1); KEY is ctrl,
//                                    shift, alt, win, a letter or digit,
//                                    f1..f24, or a vk number
//   handles PID                      prints "handles N", the process's count of
//                                    open handles
//   text WINDOW [ID]                 prints the window's (or child's) text
//   children WINDOW                  prints each child control: id, class, text
//   listview WINDOW [ID]             prints every row of the list view (child ID,
//                                    or the first list view) tab-separated
//   list                             prints every top-level window: pid, visible,
//                                    class, caption (for diagnosis)
//   keyname VK [extended]            prints GetKeyNameTextW's name of the key
//   childsend WINDOW ID MSG [W [L]]  a message without pointers to a control
//   settext WINDOW ID TEXT           WM_SETTEXT to a control; prints "ms T", the
//                                    time the control's window took to answer
//   lvselect WINDOW ID ROW,ROW,...   selects exactly these grid rows (the first focused)
//   lvclick WINDOW ID ROW COL [double]  a click at a grid cell's centre
//   tabclick WINDOW ID INDEX         a click on a tab of a tab control
//   hold FILE TIME                   opens FILE sharing nothing, as another program
//                                    holding it locked; prints "held", keeps it TIME
//   place WINDOW X Y W H             moves and sizes a top-level window
//   rect WINDOW                      prints its left, top, right and bottom
//   layout WINDOW                    prints "client L T R B" (screen coordinates),
//                                    "state zoomed Z iconic I", then each visible
//                                    descendant: "ID CLASS L T R B"
//   lvcell WINDOW ID ROW COL         prints a grid cell's left, top, right and
//                                    bottom in screen coordinates
//   lvstate WINDOW ID                prints "top T perpage P focused F selected
//                                    R,... columns C client W" (C: the columns'
//                                    widths summed, W: the list's client width)
//   keydown KEY / keyup KEY          one key's press or release (SendInput)
//   keystate KEY                     prints "down 1" or "down 0": the system's
//                                    key state (GetAsyncKeyState)
//   focus WINDOW                     prints "focus ID", the control of WINDOW's
//                                    thread that has the keyboard focus (0: none)
//   (a control ID is looked for among all descendants of WINDOW)
//   sleep MS                         only for pacing the user would see; tests
//                                    wait for conditions instead
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cwchar>
#include <cwctype>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

FILE* out = nullptr;

struct Failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

std::string Narrow(const std::wstring& w) {
    if (w.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0,
                                      nullptr, nullptr);
    std::string s(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr,
                        nullptr);
    return s;
}

void Print(const std::wstring& line) {
    const std::string s = Narrow(line) + "\n";
    std::fwrite(s.data(), 1, s.size(), out);
    std::fflush(out);
}

[[noreturn]] void Fail(const std::wstring& what) {
    throw Failure(Narrow(what));
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

struct WindowSpec {
    std::wstring className; // empty: any class
    std::wstring caption;
};

WindowSpec ParseWindow(const std::wstring& text) {
    const auto bar = text.find(L'|');
    if (bar == std::wstring::npos) return {L"", text};
    return {text.substr(0, bar), text.substr(bar + 1)};
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
HWND FindTopLevel(const WindowSpec& spec) {
    struct Search {
        const WindowSpec* spec;
        HWND found;
    } search{&spec, nullptr};
    EnumWindows(
        [](HWND w, LPARAM p) -> BOOL {
            auto* s = reinterpret_cast<Search*>(p);
            wchar_t caption[512] = {};
            GetWindowTextW(w, caption, 512);
            if (s->spec->caption != caption) return TRUE;
            if (!s->spec->className.empty() && s->spec->className != ClassOf(w)) return TRUE;
            if (!s->found) s->found = w;
            if (!IsWindowVisible(w)) return TRUE;
            s->found = w;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Polls a condition until it holds or the deadline passes.
template <class Condition> bool WaitFor(DWORD timeoutMs, Condition condition) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition()) return true;
        if (GetTickCount64() >= deadline) return false;
        Sleep(20);
    }
}

HWND Need(const std::wstring& spec) {
    const HWND w = FindTopLevel(ParseWindow(spec));
    if (!w) Fail(L"no window " + spec);
    return w;
}

// A control by id among the window's descendants: the main window keeps its
// controls on a page dialog inside it.
HWND Child(HWND parent, const std::wstring& id) {
    struct Search {
        int id;
        HWND found;
    } search{static_cast<int>(Number(id)), GetDlgItem(parent, static_cast<int>(Number(id)))};
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

void PostOrFail(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!PostMessageW(w, message, wParam, lParam)) Fail(L"PostMessageW failed");
}

WORD KeyCode(std::wstring key) {
    for (auto& c : key)
        c = static_cast<wchar_t>(std::towlower(c));
    if (key == L"ctrl" || key == L"control") return VK_CONTROL;
    if (key == L"shift") return VK_SHIFT;
    if (key == L"alt") return VK_MENU;
    if (key == L"win") return VK_LWIN;
    if (key.size() == 1 && std::iswalnum(key[0])) return static_cast<WORD>(std::towupper(key[0]));
    if (key.size() >= 2 && key[0] == L'f' && std::iswdigit(key[1])) {
        const auto n = Number(key.substr(1));
        if (n >= 1 && n <= 24) return static_cast<WORD>(VK_F1 + n - 1);
    }
    const auto n = Number(key);
    if (n < 1 || n > 254) Fail(L"bad key " + key);
    return static_cast<WORD>(n);
}

void PressKeys(const std::wstring& combo) {
    std::vector<WORD> keys;
    std::size_t start = 0;
    for (;;) {
        const auto plus = combo.find(L'+', start);
        keys.push_back(KeyCode(combo.substr(start, plus - start)));
        if (plus == std::wstring::npos) break;
        start = plus + 1;
    }
    std::vector<INPUT> inputs;
    auto add = [&](WORD vk, bool up) {
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = vk;
        in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
        in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        inputs.push_back(in);
    };
    for (WORD k : keys)
        add(k, false);
    for (auto it = keys.rbegin(); it != keys.rend(); ++it)
        add(*it, true);
    if (SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) != inputs.size())
        Fail(L"SendInput failed");
}

// Memory in another process, freed when done.
class RemoteBuffer {
  public:
    RemoteBuffer(HANDLE process, SIZE_T size) : process_(process) {
        p_ = VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
        if (!p_) Fail(L"VirtualAllocEx failed");
    }
    ~RemoteBuffer() { VirtualFreeEx(process_, p_, 0, MEM_RELEASE); }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;
    char* get() const { return static_cast<char*>(p_); }

  private:
    HANDLE process_;
    void* p_;
};

HWND FindListView(HWND parent) {
    HWND found = nullptr;
    EnumChildWindows(
        parent,
        [](HWND w, LPARAM p) -> BOOL {
            if (ClassOf(w) != WC_LISTVIEWW) return TRUE;
            *reinterpret_cast<HWND*>(p) = w;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    if (!found) Fail(L"no list view");
    return found;
}

HANDLE OpenOwner(HWND w) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE |
                                     PROCESS_QUERY_INFORMATION,
                                 FALSE, pid);
    if (!process) Fail(L"OpenProcess failed");
    return process;
}

// LVM_SETITEMSTATE with the item record in the list view's process.
void SetRowState(HANDLE process, const RemoteBuffer& remote, HWND list, int row, UINT state,
                 UINT mask) {
    LVITEMW item{};
    item.stateMask = mask;
    item.state = state;
    SIZE_T n = 0;
    if (!WriteProcessMemory(process, remote.get(), &item, sizeof item, &n))
        Fail(L"WriteProcessMemory failed");
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(remote.get()));
}

void SelectListViewRows(HWND list, const std::wstring& rows) {
    HANDLE process = OpenOwner(list);
    {
        RemoteBuffer remote(process, sizeof(LVITEMW));
        SetRowState(process, remote, list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
        bool first = true;
        std::size_t start = 0;
        while (start <= rows.size()) {
            const std::size_t comma = rows.find(L',', start);
            const std::wstring piece = rows.substr(
                start, comma == std::wstring::npos ? std::wstring::npos : comma - start);
            if (!piece.empty()) {
                const int row = static_cast<int>(Number(piece));
                SetRowState(process, remote, list, row, LVIS_SELECTED | (first ? LVIS_FOCUSED : 0u),
                            LVIS_SELECTED | (first ? LVIS_FOCUSED : 0u));
                first = false;
            }
            if (comma == std::wstring::npos) break;
            start = comma + 1;
        }
    }
    CloseHandle(process);
}

RECT ListViewCell(HWND list, int row, int column) {
    HANDLE process = OpenOwner(list);
    RECT cell{};
    {
        RemoteBuffer remote(process, sizeof(RECT));
        RECT ask{LVIR_BOUNDS, column, 0, 0}; // top = sub-item, left = part
        SIZE_T n = 0;
        if (!WriteProcessMemory(process, remote.get(), &ask, sizeof ask, &n))
            Fail(L"WriteProcessMemory failed");
        if (!SendMessageW(list, LVM_GETSUBITEMRECT, static_cast<WPARAM>(row),
                          reinterpret_cast<LPARAM>(remote.get())))
            Fail(L"LVM_GETSUBITEMRECT failed");
        if (!ReadProcessMemory(process, remote.get(), &cell, sizeof cell, &n))
            Fail(L"ReadProcessMemory failed");
    }
    CloseHandle(process);
    return cell;
}

void ClickListViewCell(HWND list, int row, int column, bool twice) {
    const RECT cell = ListViewCell(list, row, column);
    // Column 0's bounds are the whole row; aim at its left part then.
    const int x = column == 0 ? cell.left + 8 : (cell.left + cell.right) / 2;
    const LPARAM at = MAKELPARAM(x, (cell.top + cell.bottom) / 2);
    PostOrFail(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostOrFail(list, WM_LBUTTONUP, 0, at);
    if (twice) {
        PostOrFail(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        PostOrFail(list, WM_LBUTTONUP, 0, at);
    }
}

// Reads every cell through LVM_GETITEMTEXTW with the item record and the text
// buffer placed in the list view's own process (the message carries pointers).
void ReadListView(HWND list) {
    HANDLE process = OpenOwner(list);
    struct Closer {
        HANDLE h;
        ~Closer() { CloseHandle(h); }
    } closer{process};

    const int rows = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    const HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    int columns = header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 1;
    if (columns < 1) columns = 1;

    constexpr int kChars = 4096;
    RemoteBuffer remote(process, sizeof(LVITEMW) + kChars * sizeof(wchar_t));
    wchar_t* remoteText = reinterpret_cast<wchar_t*>(remote.get() + sizeof(LVITEMW));
    Print(L"rows " + std::to_wstring(rows) + L" columns " + std::to_wstring(columns));
    for (int r = 0; r < rows; ++r) {
        std::wstring line;
        for (int c = 0; c < columns; ++c) {
            LVITEMW item{};
            item.iSubItem = c;
            item.pszText = remoteText;
            item.cchTextMax = kChars;
            SIZE_T n = 0;
            if (!WriteProcessMemory(process, remote.get(), &item, sizeof item, &n))
                Fail(L"WriteProcessMemory failed");
            const LRESULT len =
                SendMessageW(list, LVM_GETITEMTEXTW, r, reinterpret_cast<LPARAM>(remote.get()));
            std::wstring cell(static_cast<std::size_t>(len), L'\0');
            if (len > 0 &&
                !ReadProcessMemory(process, remoteText, cell.data(), len * sizeof(wchar_t), &n))
                Fail(L"ReadProcessMemory failed");
            if (c) line += L'\t';
            line += cell;
        }
        Print(line);
    }
}

// The process's entries in the system's list of open handles
// (SystemHandleInformation, in Wine's layout of an entry).
DWORD HandlesInSystemList(DWORD pid) {
    struct Entry {
        ULONG ownerPid;
        BYTE objectType;
        BYTE flags;
        USHORT value;
        PVOID object;
        ULONG access;
    };
    struct List {
        ULONG count;
        Entry entries[1];
    };
    using QueryFn = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
    const auto query = reinterpret_cast<QueryFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    if (!query) Fail(L"no NtQuerySystemInformation");
    constexpr ULONG kSystemHandleInformation = 16;
    constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);
    std::vector<char> buffer(1 << 16);
    LONG status;
    ULONG needed = 0;
    while ((status = query(kSystemHandleInformation, buffer.data(),
                           static_cast<ULONG>(buffer.size()), &needed)) == kInfoLengthMismatch)
        buffer.resize(buffer.size() * 2);
    if (status != 0) Fail(L"NtQuerySystemInformation failed");
    const auto* list = reinterpret_cast<const List*>(buffer.data());
    DWORD count = 0;
    for (ULONG i = 0; i < list->count; ++i)
        if (list->entries[i].ownerPid == pid) ++count;
    return count;
}

// Runs one command; args[0] is its name.
void Run(const std::vector<std::wstring>& args) {
    const std::wstring& cmd = args[0];
    auto arg = [&](std::size_t i) -> const std::wstring& {
        if (i >= args.size()) Fail(cmd + L": missing argument");
        return args[i];
    };
    auto opt = [&](std::size_t i, unsigned long long fallback) {
        return i < args.size() ? Number(args[i]) : fallback;
    };
    auto timeout = [&](std::size_t i) { return static_cast<DWORD>(opt(i, 10000)); };

    if (cmd == L"find") {
        const WindowSpec spec = ParseWindow(arg(1));
        HWND w = nullptr;
        if (!WaitFor(timeout(2), [&] { return (w = FindTopLevel(spec)) != nullptr; }))
            Fail(L"timed out waiting for window " + args[1]);
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        Print(L"hwnd " + std::to_wstring(reinterpret_cast<UINT_PTR>(w)) + L" pid " +
              std::to_wstring(pid) + L" visible " + std::to_wstring(IsWindowVisible(w) ? 1 : 0));
    } else if (cmd == L"gone") {
        const WindowSpec spec = ParseWindow(arg(1));
        if (!WaitFor(timeout(2), [&] { return FindTopLevel(spec) == nullptr; }))
            Fail(L"timed out waiting for window to go: " + args[1]);
        Print(L"gone");
    } else if (cmd == L"exited") {
        HANDLE p = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE,
                               static_cast<DWORD>(Number(arg(1))));
        if (!p) {
            Print(L"exit unknown"); // already gone and reaped
            return;
        }
        const DWORD waited = WaitForSingleObject(p, timeout(2));
        DWORD code = 0;
        GetExitCodeProcess(p, &code);
        CloseHandle(p);
        if (waited != WAIT_OBJECT_0) Fail(L"timed out waiting for process " + args[1]);
        Print(L"exit " + std::to_wstring(code));
    } else if (cmd == L"post" || cmd == L"send") {
        const HWND w = Need(arg(1));
        const UINT message = MessageNumber(arg(2));
        const WPARAM wParam = static_cast<WPARAM>(opt(3, 0));
        const LPARAM lParam = static_cast<LPARAM>(opt(4, 0));
        if (cmd == L"post") {
            PostOrFail(w, message, wParam, lParam);
        } else {
            DWORD_PTR result = 0;
            if (!SendMessageTimeoutW(w, message, wParam, lParam, SMTO_ABORTIFHUNG, 10000, &result))
                Fail(L"SendMessageTimeoutW failed");
            Print(L"result " + std::to_wstring(result));
        }
    } else if (cmd == L"close") {
        PostOrFail(Need(arg(1)), WM_CLOSE, 0, 0);
    } else if (cmd == L"command") {
        PostOrFail(Need(arg(1)), WM_COMMAND, static_cast<WPARAM>(Number(arg(2))), 0);
    } else if (cmd == L"click") {
        PostOrFail(Child(Need(arg(1)), arg(2)), BM_CLICK, 0, 0);
    } else if (cmd == L"tray") {
        PostOrFail(Need(arg(1)), WM_USER + 1, 1, static_cast<LPARAM>(Number(arg(2))));
    } else if (cmd == L"endsession") {
        const HWND w = Need(arg(1));
        const LPARAM reason = args.size() > 2 && args[2] == L"logoff" ? ENDSESSION_LOGOFF : 0;
        DWORD_PTR query = 0;
        if (!SendMessageTimeoutW(w, WM_QUERYENDSESSION, 0, reason, SMTO_ABORTIFHUNG, 10000, &query))
            Fail(L"WM_QUERYENDSESSION got no answer");
        Print(L"query " + std::to_wstring(query));
        DWORD_PTR ignored = 0;
        if (!SendMessageTimeoutW(w, WM_ENDSESSION, query ? TRUE : FALSE, reason, SMTO_ABORTIFHUNG,
                                 10000, &ignored))
            Fail(L"WM_ENDSESSION got no answer");
    } else if (cmd == L"keys") {
        for (auto n = opt(2, 1); n > 0; --n)
            PressKeys(arg(1));
    } else if (cmd == L"handles") {
        const DWORD pid = static_cast<DWORD>(Number(arg(1)));
        const HANDLE p = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
        if (!p) Fail(L"OpenProcess failed for process " + args[1]);
        DWORD count = 0;
        const BOOL ok = GetProcessHandleCount(p, &count);
        CloseHandle(p);
        if (!ok) Fail(L"GetProcessHandleCount failed");
        // Wine answers 0 for every process; its system handle list is right.
        if (count == 0) count = HandlesInSystemList(pid);
        Print(L"handles " + std::to_wstring(count));
    } else if (cmd == L"text") {
        HWND w = Need(arg(1));
        if (args.size() > 2) w = Child(w, args[2]);
        Print(WindowText(w));
    } else if (cmd == L"enabled") {
        Print(L"enabled " + std::to_wstring(IsWindowEnabled(Child(Need(arg(1)), arg(2))) ? 1 : 0));
    } else if (cmd == L"children") {
        EnumChildWindows(
            Need(arg(1)),
            [](HWND w, LPARAM) -> BOOL {
                Print(std::to_wstring(GetDlgCtrlID(w)) + L"\t" + ClassOf(w) + L"\t" +
                      WindowText(w));
                return TRUE;
            },
            0);
    } else if (cmd == L"listview") {
        const HWND w = Need(arg(1));
        ReadListView(args.size() > 2 ? Child(w, args[2]) : FindListView(w));
    } else if (cmd == L"list") {
        EnumWindows(
            [](HWND w, LPARAM) -> BOOL {
                wchar_t caption[512] = {};
                GetWindowTextW(w, caption, 512);
                DWORD pid = 0;
                GetWindowThreadProcessId(w, &pid);
                Print(std::to_wstring(pid) + L"\t" + std::to_wstring(IsWindowVisible(w) ? 1 : 0) +
                      L"\t" + ClassOf(w) + L"\t" + caption);
                return TRUE;
            },
            0);
    } else if (cmd == L"keyname") {
        const UINT vk = static_cast<UINT>(Number(arg(1)));
        LONG scan = static_cast<LONG>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC)) << 16;
        if (args.size() > 2 && args[2] == L"extended") scan |= 1 << 24;
        wchar_t name[128] = {};
        GetKeyNameTextW(scan, name, 128);
        Print(name);
    } else if (cmd == L"childsend") {
        // childsend WINDOW ID MSG [WPARAM [LPARAM]]: a message without pointers to a control.
        const HWND c = Child(Need(arg(1)), arg(2));
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutW(c, MessageNumber(arg(3)), static_cast<WPARAM>(opt(4, 0)),
                                 static_cast<LPARAM>(opt(5, 0)), SMTO_ABORTIFHUNG, 10000, &result))
            Fail(L"SendMessageTimeoutW failed");
        Print(L"result " + std::to_wstring(result));
    } else if (cmd == L"settext") {
        // settext WINDOW ID TEXT: the system carries WM_SETTEXT's string across.
        // Prints "ms T": how long the target took to take the text and answer.
        const HWND c = Child(Need(arg(1)), arg(2));
        DWORD_PTR result = 0;
        LARGE_INTEGER frequency{}, began{}, ended{};
        QueryPerformanceFrequency(&frequency);
        QueryPerformanceCounter(&began);
        if (!SendMessageTimeoutW(c, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(arg(3).c_str()),
                                 SMTO_ABORTIFHUNG, 10000, &result))
            Fail(L"WM_SETTEXT failed");
        QueryPerformanceCounter(&ended);
        Print(L"ms " + std::to_wstring((ended.QuadPart - began.QuadPart) * 1000.0 /
                                       static_cast<double>(frequency.QuadPart)));
    } else if (cmd == L"lvselect") {
        // lvselect WINDOW ID ROW,ROW,... : selects exactly these rows; the
        // first becomes the focused row.
        const HWND list = Child(Need(arg(1)), arg(2));
        SelectListViewRows(list, arg(3));
    } else if (cmd == L"lvclick") {
        // lvclick WINDOW ID ROW COLUMN [double]: a click at the cell's centre.
        const HWND list = Child(Need(arg(1)), arg(2));
        ClickListViewCell(list, static_cast<int>(Number(arg(3))), static_cast<int>(Number(arg(4))),
                          args.size() > 5 && args[5] == L"double");
    } else if (cmd == L"tabclick") {
        // tabclick WINDOW ID INDEX: a click on a tab; the control then tells
        // its parent itself (a WM_NOTIFY cannot be sent across processes).
        const HWND tabs = Child(Need(arg(1)), arg(2));
        HANDLE process = OpenOwner(tabs);
        RECT r{};
        {
            RemoteBuffer remote(process, sizeof(RECT));
            if (!SendMessageW(tabs, TCM_GETITEMRECT, static_cast<WPARAM>(Number(arg(3))),
                              reinterpret_cast<LPARAM>(remote.get())))
                Fail(L"TCM_GETITEMRECT failed");
            SIZE_T n = 0;
            if (!ReadProcessMemory(process, remote.get(), &r, sizeof r, &n))
                Fail(L"ReadProcessMemory failed");
        }
        CloseHandle(process);
        const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        PostOrFail(tabs, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostOrFail(tabs, WM_LBUTTONUP, 0, at);
    } else if (cmd == L"place") {
        // place WINDOW X Y W H: moves and sizes a top-level window.
        if (!SetWindowPos(Need(arg(1)), nullptr, static_cast<int>(Number(arg(2))),
                          static_cast<int>(Number(arg(3))), static_cast<int>(Number(arg(4))),
                          static_cast<int>(Number(arg(5))), SWP_NOZORDER | SWP_NOACTIVATE))
            Fail(L"SetWindowPos failed");
    } else if (cmd == L"rect") {
        // rect WINDOW: prints "left top right bottom" of the window.
        RECT r{};
        if (!GetWindowRect(Need(arg(1)), &r)) Fail(L"GetWindowRect failed");
        Print(std::to_wstring(r.left) + L" " + std::to_wstring(r.top) + L" " +
              std::to_wstring(r.right) + L" " + std::to_wstring(r.bottom));
    } else if (cmd == L"layout") {
        const HWND w = Need(arg(1));
        RECT c{};
        GetClientRect(w, &c);
        MapWindowPoints(w, nullptr, reinterpret_cast<POINT*>(&c), 2);
        Print(L"client " + std::to_wstring(c.left) + L" " + std::to_wstring(c.top) + L" " +
              std::to_wstring(c.right) + L" " + std::to_wstring(c.bottom));
        Print(L"state zoomed " + std::to_wstring(IsZoomed(w) ? 1 : 0) + L" iconic " +
              std::to_wstring(IsIconic(w) ? 1 : 0));
        EnumChildWindows(
            w,
            [](HWND child, LPARAM) -> BOOL {
                RECT r{};
                if (!IsWindowVisible(child) || !GetWindowRect(child, &r)) return TRUE;
                Print(std::to_wstring(GetDlgCtrlID(child)) + L" " + ClassOf(child) + L" " +
                      std::to_wstring(r.left) + L" " + std::to_wstring(r.top) + L" " +
                      std::to_wstring(r.right) + L" " + std::to_wstring(r.bottom));
                return TRUE;
            },
            0);
    } else if (cmd == L"lvcell") {
        const HWND list = Child(Need(arg(1)), arg(2));
        RECT r =
            ListViewCell(list, static_cast<int>(Number(arg(3))), static_cast<int>(Number(arg(4))));
        MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&r), 2);
        Print(std::to_wstring(r.left) + L" " + std::to_wstring(r.top) + L" " +
              std::to_wstring(r.right) + L" " + std::to_wstring(r.bottom));
    } else if (cmd == L"lvstate") {
        // Messages without pointers only: they work across processes.
        const HWND list = Child(Need(arg(1)), arg(2));
        std::wstring selected;
        for (LRESULT row =
                 SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED);
             row >= 0;
             row = SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(row), LVNI_SELECTED))
            selected += (selected.empty() ? L"" : L",") + std::to_wstring(row);
        HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
        const LRESULT columns = header ? SendMessageW(header, HDM_GETITEMCOUNT, 0, 0) : 0;
        LRESULT width = 0;
        for (LRESULT i = 0; i < columns; ++i)
            width += SendMessageW(list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(i), 0);
        RECT c{};
        GetClientRect(list, &c);
        Print(L"top " + std::to_wstring(SendMessageW(list, LVM_GETTOPINDEX, 0, 0)) + L" perpage " +
              std::to_wstring(SendMessageW(list, LVM_GETCOUNTPERPAGE, 0, 0)) + L" focused " +
              std::to_wstring(
                  SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED)) +
              L" selected " + (selected.empty() ? L"-" : selected) + L" columns " +
              std::to_wstring(width) + L" client " + std::to_wstring(c.right));
    } else if (cmd == L"hold") {
        HANDLE file =
            CreateFileW(arg(1).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) Fail(L"cannot open " + arg(1));
        Print(L"held");
        Sleep(static_cast<DWORD>(Number(arg(2))));
        CloseHandle(file);
    } else if (cmd == L"keydown" || cmd == L"keyup" || cmd == L"keystate" || cmd == L"focus") {
        if (cmd == L"focus") {
            GUITHREADINFO gui{};
            gui.cbSize = sizeof gui;
            if (!GetGUIThreadInfo(GetWindowThreadProcessId(Need(arg(1)), nullptr), &gui))
                Fail(L"GetGUIThreadInfo failed");
            Print(L"focus " + std::to_wstring(gui.hwndFocus ? GetDlgCtrlID(gui.hwndFocus) : 0));
        } else if (cmd == L"keystate") {
            const bool down = (GetAsyncKeyState(KeyCode(arg(1))) & 0x8000) != 0;
            Print(L"down " + std::to_wstring(down ? 1 : 0));
        } else {
            INPUT in{};
            in.type = INPUT_KEYBOARD;
            in.ki.wVk = KeyCode(arg(1));
            in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(in.ki.wVk, MAPVK_VK_TO_VSC));
            in.ki.dwFlags = cmd == L"keyup" ? KEYEVENTF_KEYUP : 0;
            if (SendInput(1, &in, sizeof in) != 1) Fail(L"SendInput failed");
        }
    } else if (cmd == L"sleep") {
        Sleep(static_cast<DWORD>(Number(arg(1))));
    } else if (cmd == L"lvcolumns") {
        // Each column's width, in view order.
        const HWND list = Child(Need(arg(1)), arg(2));
        HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
        const LRESULT columns = header ? SendMessageW(header, HDM_GETITEMCOUNT, 0, 0) : 0;
        std::wstring widths;
        for (LRESULT i = 0; i < columns; ++i)
            widths += (i ? L" " : L"") + std::to_wstring(SendMessageW(list, LVM_GETCOLUMNWIDTH,
                                                                      static_cast<WPARAM>(i), 0));
        Print(L"widths " + widths);
    } else {
        Fail(L"unknown command " + cmd);
    }
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    out = _wfopen(argv[1], L"wb");
    if (!out) return 2;
    int code = 0;
    try {
        std::vector<std::wstring> command;
        for (int i = 2; i <= argc; ++i) {
            if (i == argc || std::wcscmp(argv[i], L";") == 0) {
                if (!command.empty()) Run(command);
                command.clear();
            } else {
                command.push_back(argv[i]);
            }
        }
        Print(L"ok");
    } catch (const std::exception& e) {
        const std::string line = std::string("error ") + e.what() + "\n";
        std::fwrite(line.data(), 1, line.size(), out);
        code = 1;
    }
    std::fclose(out);
    return code;
}

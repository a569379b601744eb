// A target program for the end-to-end tests: it stands in for the programs,
// documents and web browser that hotkeys start, and tells the runner how it
// was started. Each start writes <exe folder>\<exe name>-<pid>.txt:
//
//   created <process creation time, 100 ns units>
//   show <STARTUPINFO wShowWindow, or "none" without STARTF_USESHOWWINDOW>
//   cmdline <the command line as the program received it>
//
//   kvtarget.exe [ARGS...]               records, then ends
//   kvtarget.exe --stay [ARGS...]        records, then runs until ended
//   kvtarget.exe --hold MODS VK [ARGS]   registers the hotkey for itself first,
//                                        adds "held 1" (or 0), runs until ended
//                                        and adds "pressed" for every press
//   kvtarget.exe --window-after MS [ARGS]   waits MS, shows a window, adds
//                                        "window <time, 100 ns units>" and
//                                        runs until ended: a program that is
//                                        slow to become ready for input
//
// Started without arguments, it takes them from <exe folder>\<exe name>.args
// when that file exists (one line): the fixed programs are started bare.
//
// A program that runs ends by itself after two minutes, so none outlives a run.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

namespace {

std::wstring recordPath;
std::wstring record;

// Written whole and moved into place, so the runner never reads half a file.
void Save() {
    const std::wstring temporary = recordPath + L".tmp";
    FILE* f = _wfopen(temporary.c_str(), L"wb");
    if (!f) return;
    const int n = WideCharToMultiByte(CP_UTF8, 0, record.data(), static_cast<int>(record.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, record.data(), static_cast<int>(record.size()), bytes.data(), n,
                        nullptr, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    MoveFileExW(temporary.c_str(), recordPath.c_str(), MOVEFILE_REPLACE_EXISTING);
}

void Add(const std::wstring& line) {
    record += line + L"\n";
    Save();
}

// The first line of a small UTF-8 file; empty when there is none.
std::wstring ReadArgsFile(const std::wstring& path) {
    FILE* f = _wfopen(path.c_str(), L"rb");
    if (!f) return {};
    char bytes[1024] = {};
    const std::size_t n = std::fread(bytes, 1, sizeof bytes - 1, f);
    std::fclose(f);
    std::string line(bytes, n);
    line = line.substr(0, line.find_first_of("\r\n"));
    std::wstring wide(line.size(), L'\0');
    wide.resize(static_cast<std::size_t>(
        MultiByteToWideChar(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), wide.data(),
                            static_cast<int>(wide.size()))));
    return wide;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // A windows program (no console window when started by the shell), so
    // the arguments come from the command line.
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv) return 1;
    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring base(exe);
    if (base.size() > 4) base.resize(base.size() - 4); // ".exe"
    recordPath = base + L"-" + std::to_wstring(GetCurrentProcessId()) + L".txt";
    if (argc == 1) {
        const std::wstring more = ReadArgsFile(base + L".args");
        if (!more.empty()) {
            argv = CommandLineToArgvW((L"x " + more).c_str(), &argc);
            if (!argv) return 1;
        }
    }

    FILETIME created{}, unused{};
    GetProcessTimes(GetCurrentProcess(), &created, &unused, &unused, &unused);
    const unsigned long long createdTime =
        (static_cast<unsigned long long>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    GetStartupInfoW(&startup);

    const bool stay = argc > 1 && std::wstring(argv[1]) == L"--stay";
    const bool hold = argc > 3 && std::wstring(argv[1]) == L"--hold";
    const bool lateWindow = argc > 2 && std::wstring(argv[1]) == L"--window-after";
    bool held = false;
    if (hold) {
        const UINT mods = static_cast<UINT>(wcstoul(argv[2], nullptr, 0));
        const UINT vk = static_cast<UINT>(wcstoul(argv[3], nullptr, 0));
        held = RegisterHotKey(nullptr, 1, mods, vk) != 0;
    }

    record = L"created " + std::to_wstring(createdTime) + L"\n";
    record += L"show " +
              ((startup.dwFlags & STARTF_USESHOWWINDOW) ? std::to_wstring(startup.wShowWindow)
                                                        : std::wstring(L"none")) +
              L"\n";
    record += L"cmdline " + std::wstring(GetCommandLineW()) + L"\n";
    if (hold) record += std::wstring(L"held ") + (held ? L"1" : L"0") + L"\n";
    Save();
    if (lateWindow) {
        // No message call before the window exists: the first one is what
        // tells the system the program is ready for input.
        Sleep(static_cast<DWORD>(wcstoul(argv[2], nullptr, 0)));
        const HWND window =
            CreateWindowExW(0, L"STATIC", L"kvtarget late window", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                            60, 60, 240, 120, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        FILETIME now{};
        GetSystemTimeAsFileTime(&now);
        Add(L"window " +
            std::to_wstring((static_cast<unsigned long long>(now.dwHighDateTime) << 32) |
                            now.dwLowDateTime) +
            (window ? L"" : L" (not created)"));
    }
    if (!stay && !hold && !lateWindow) return 0;

    const ULONGLONG deadline = GetTickCount64() + 120000;
    for (;;) {
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) break;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(deadline - now),
                                  QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) return 0;
            if (msg.message == WM_HOTKEY) Add(L"pressed");
            DispatchMessageW(&msg);
        }
    }
    return 0;
}

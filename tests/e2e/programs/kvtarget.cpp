// A target program for the end-to-end tests: it stands in for the programs,
// documents and web browser that hotkeys start, and tells the runner how it
// was started. Each start writes <exe folder>\<exe name>-<pid>.txt:
//
//   created <process creation time, 100 ns units>
//   show <STARTUPINFO wShowWindow, or "none" without STARTF_USESHOWWINDOW>
//   cmdline <the command line as the program received it>
//   cwd <the working folder it started in>
//
//   kvtarget.exe [ARGS...]               records, then ends
//   kvtarget.exe --stay [ARGS...]        records, then runs until ended
//   kvtarget.exe --hold MODS VK [ARGS]   registers the hotkey for itself first,
//                                        adds "held 1" (or 0), runs until ended
//                                        and adds "pressed" for every press
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

    FILETIME created{}, unused{};
    GetProcessTimes(GetCurrentProcess(), &created, &unused, &unused, &unused);
    const unsigned long long createdTime =
        (static_cast<unsigned long long>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    GetStartupInfoW(&startup);

    const bool stay = argc > 1 && std::wstring(argv[1]) == L"--stay";
    const bool hold = argc > 3 && std::wstring(argv[1]) == L"--hold";
    bool held = false;
    if (hold) {
        const UINT mods = static_cast<UINT>(wcstoul(argv[2], nullptr, 0));
        const UINT vk = static_cast<UINT>(wcstoul(argv[3], nullptr, 0));
        // A combination another program gives back in a moment (a pause) is
        // taken once it is free, so a case need not guess when that is.
        const ULONGLONG until = GetTickCount64() + 5000;
        while (!(held = RegisterHotKey(nullptr, 1, mods, vk) != 0) && GetTickCount64() < until)
            Sleep(50);
    }

    record = L"created " + std::to_wstring(createdTime) + L"\n";
    record += L"show " +
              ((startup.dwFlags & STARTF_USESHOWWINDOW) ? std::to_wstring(startup.wShowWindow)
                                                        : std::wstring(L"none")) +
              L"\n";
    record += L"cmdline " + std::wstring(GetCommandLineW()) + L"\n";
    wchar_t folder[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, folder);
    record += L"cwd " + std::wstring(folder) + L"\n";
    if (hold) record += std::wstring(L"held ") + (held ? L"1" : L"0") + L"\n";
    Save();
    if (!stay && !hold) return 0;

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

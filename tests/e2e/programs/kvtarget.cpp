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
//   kvtarget.exe --window CAPTION [--dialog | --hang]
//                                        shows a window and runs until ended,
//                                        adding "window minimized", "window
//                                        restored" for each change of its state
//                                        and "active main" or "active dialog"
//                                        for each activation. --dialog opens an
//                                        owned dialog in front of it, as a
//                                        program's own dialog opens; --hang
//                                        shows it minimized and stops answering:
//                                        "hung" once the system counts it as not
//                                        answering, "answering" when the runner
//                                        creates <exe name>-<pid>.go
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

HWND mainWindow = nullptr;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE:
        if (window != mainWindow) break;
        if (wParam == SIZE_MINIMIZED)
            Add(L"window minimized");
        else if (IsWindowVisible(window))
            Add(L"window restored");
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE)
            Add(window == mainWindow ? L"active main" : L"active dialog");
        break;
    case WM_CLOSE:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// The system counts a window as not answering once its thread has not looked
// at its messages for 5 s; this one sleeps past that, then waits for the
// runner's file without looking at them.
void StopAnswering(ULONGLONG deadline) {
    const ULONGLONG hungAt = GetTickCount64() + 6000;
    bool told = false;
    const std::wstring release = recordPath.substr(0, recordPath.size() - 4) + L".go";
    while (GetTickCount64() < deadline &&
           GetFileAttributesW(release.c_str()) == INVALID_FILE_ATTRIBUTES) {
        if (!told && GetTickCount64() >= hungAt) {
            Add(L"hung");
            told = true;
        }
        Sleep(50);
    }
    Add(L"answering");
}

// The test window, with its owned dialog or minimized and not answering.
void ShowWindows(const std::wstring& caption, bool dialog, bool hang, ULONGLONG deadline) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<const wchar_t*>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = L"KvTarget";
    RegisterClassW(&wc);
    mainWindow = CreateWindowExW(0, wc.lpszClassName, caption.c_str(), WS_OVERLAPPEDWINDOW, 60, 60,
                                 320, 200, nullptr, nullptr, instance, nullptr);
    if (!mainWindow) return;
    if (hang) {
        ShowWindow(mainWindow, SW_SHOWMINNOACTIVE);
        StopAnswering(deadline);
        return;
    }
    ShowWindow(mainWindow, SW_SHOWNORMAL);
    if (!dialog) return;
    // Modal in the way a message box is: the owner is disabled.
    const HWND box =
        CreateWindowExW(WS_EX_DLGMODALFRAME, wc.lpszClassName, (caption + L" dialog").c_str(),
                        WS_POPUP | WS_CAPTION | WS_SYSMENU, 120, 120, 240, 120, mainWindow, nullptr,
                        instance, nullptr);
    if (!box) return;
    EnableWindow(mainWindow, FALSE);
    ShowWindow(box, SW_SHOW);
    SetForegroundWindow(box);
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
    const bool window = argc > 2 && std::wstring(argv[1]) == L"--window";
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
    if (!stay && !hold && !window) return 0;

    const ULONGLONG deadline = GetTickCount64() + 120000;
    if (window) {
        const std::wstring mode = argc > 3 ? argv[3] : L"";
        ShowWindows(argv[2], mode == L"--dialog", mode == L"--hang", deadline);
    }
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

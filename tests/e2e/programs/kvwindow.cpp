// A plain visible application window for the end-to-end tests: it stands in
// for the user's other programs, and writes each change of its own state to a
// file, so the runner can see what minimize-all did to it.
//
//   kvwindow.exe OUTFILE CAPTION [CLASS | fullscreen | edit]
//
// OUTFILE receives one line per change: "shown", "minimized", "maximized",
// "restored", and "asked" when Keyvane's command line message reaches it
// (CLASS may be Keyvane's own generic one: another program's window must
// hear nothing). With fullscreen the window is a captionless popup over the
// whole primary monitor, as a game or a slide show makes it. With edit it
// is filled by a standard multi-line edit box (id 100) that has the focus,
// as a text editor receives typing; the runner reads the box's text.
// The window closes on WM_CLOSE like any program.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

FILE* out = nullptr;
const wchar_t* lastState = L"";
UINT commandMessage = 0;
HWND editBox = nullptr;
constexpr int kEditId = 100;

void Record(const wchar_t* state) {
    if (std::wstring(state) == lastState) return;
    lastState = state;
    std::fwprintf(out, L"%ls\n", state);
    std::fflush(out);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == commandMessage && message != 0) {
        Record(L"asked");
        return 0;
    }
    switch (message) {
    case WM_SETFOCUS:
        // Activation gives the focus to the window; the user types into the box.
        if (editBox) SetFocus(editBox);
        return 0;
    case WM_SIZE:
        if (editBox) MoveWindow(editBox, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        if (wParam == SIZE_MINIMIZED)
            Record(L"minimized");
        else if (wParam == SIZE_MAXIMIZED)
            Record(L"maximized");
        else if (IsWindowVisible(window))
            Record(*lastState ? L"restored" : L"shown");
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    out = _wfopen(argv[1], L"w");
    if (!out) return 3;

    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<const wchar_t*>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    const bool fullScreen = argc > 3 && std::wstring(argv[3]) == L"fullscreen";
    const bool edit = argc > 3 && std::wstring(argv[3]) == L"edit";
    wc.lpszClassName = argc > 3 && !fullScreen && !edit ? argv[3] : L"KvWindow";
    commandMessage = RegisterWindowMessageW(L"Keyvane.ShowRunningInstance");
    RegisterClassW(&wc);
    const HWND window =
        fullScreen ? CreateWindowExW(0, wc.lpszClassName, argv[2], WS_POPUP, 0, 0,
                                     GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                     nullptr, nullptr, instance, nullptr)
                   : CreateWindowExW(0, wc.lpszClassName, argv[2], WS_OVERLAPPEDWINDOW, 40, 40, 320,
                                     200, nullptr, nullptr, instance, nullptr);
    if (!window) return 4;
    if (edit) {
        RECT client{};
        GetClientRect(window, &client);
        // A window's own multi-line box takes Enter and Tab as text (a
        // dialog's would hand them to its buttons).
        editBox = CreateWindowExW(
            WS_EX_CLIENTEDGE, L"EDIT", L"",
            WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN, 0,
            0, client.right, client.bottom, window,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(kEditId)), instance, nullptr);
        if (!editBox) return 5;
        // Long texts of the benchmark go in whole.
        SendMessageW(editBox, EM_SETLIMITTEXT, 0, 0);
    }
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    if (editBox) {
        SetForegroundWindow(window);
        SetFocus(editBox);
    }
    Record(L"shown");

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    std::fclose(out);
    return 0;
}

// What the floor programs share with keyvane.exe as the benchmark sees it:
// a hidden top-level window with the main window's caption and one hotkey,
// registered before the message loop runs; the benchmark counts the start
// as over when that window answers a message.
#pragma once

#include <windows.h>

#include <string>

#include "base/AppInfo.h"

namespace floor_program {

inline std::wstring Wide(std::u16string_view text) {
    return std::wstring(reinterpret_cast<const wchar_t*>(text.data()), text.size());
}

// Held by none of the benchmark's task lists.
constexpr UINT kHotKeyModifiers = MOD_CONTROL | MOD_ALT | MOD_SHIFT;
constexpr UINT kHotKey = VK_F12;

inline HWND CreateTopLevel(HINSTANCE instance, WNDPROC proc, const wchar_t* className,
                           std::u16string_view caption, DWORD style = WS_OVERLAPPEDWINDOW) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<const wchar_t*>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = className;
    RegisterClassW(&wc);
    return CreateWindowExW(0, className, Wide(caption).c_str(), style, CW_USEDEFAULT, CW_USEDEFAULT,
                           609, 449, nullptr, nullptr, instance, nullptr);
}

// Registers the hotkey on the main window; false when the hotkey is taken,
// so the benchmark fails instead of timing it.
inline bool RegisterHotKeyOf(HWND main) {
    return RegisterHotKey(main, 1, kHotKeyModifiers, kHotKey) != FALSE;
}

inline int RunMessageLoop() {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}

inline LRESULT CALLBACK QuitOnDestroy(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// The hidden main window with its hotkey, then the loop; 2 when either fails.
inline int RunHiddenFloor(HINSTANCE instance) {
    const HWND main =
        CreateTopLevel(instance, QuitOnDestroy, L"FloorMain", keyvane::kMainWindowCaption);
    if (!main || !RegisterHotKeyOf(main)) return 2;
    return RunMessageLoop();
}

} // namespace floor_program

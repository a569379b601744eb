// What the program's dialogs share: their dialog procedure, which keeps the
// owning object in DWLP_USER from WM_INITDIALOG on, forwards every message to
// its HandleMessage and forgets the window once it is gone; and the text of a
// control, whole.
#pragma once

#include "base/WinText.h"

#include <windows.h>

#include <string>

namespace keyvane {

// Owner needs `HWND handle_` and `INT_PTR HandleMessage(UINT, WPARAM, LPARAM)`,
// both reachable from here (declare this function a friend).
template <class Owner>
INT_PTR CALLBACK ForwardingDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        reinterpret_cast<Owner*>(lParam)->handle_ = window;
    }
    auto* self = reinterpret_cast<Owner*>(GetWindowLongPtrW(window, DWLP_USER));
    if (!self) return FALSE;
    const INT_PTR result = self->HandleMessage(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, DWLP_USER, 0);
        self->handle_ = nullptr;
    }
    return result;
}

inline std::u16string WindowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int n = GetWindowTextW(window, text.data(), length + 1);
    return FromWide(std::wstring_view(text.data(), static_cast<std::size_t>(n)));
}

} // namespace keyvane

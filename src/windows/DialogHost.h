// The dialog procedure of the program's dialogs: keeps the owning object in
// DWLP_USER from WM_INITDIALOG on, forwards every message to its
// HandleMessage, and forgets the window once it is gone.
#pragma once

#include <windows.h>

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

} // namespace keyvane

// TForm3, the About box. It has no creation handler; the links come with it.
#include "app/About_win32.h"

#include "app/Unit1_win32.h"
#include "app/resource.h"

#include <stdexcept>

namespace keyvane {

TForm3* Form3 = nullptr;

TForm3::TForm3(HINSTANCE instance, TForm1& form1) {
    if (!CreateDialogParamW(instance, MAKEINTRESOURCEW(IDD_FORM3), form1.handle(),
                            &TForm3::DialogProc, reinterpret_cast<LPARAM>(this)))
        throw std::runtime_error("CreateDialogParamW failed for the About box");
}

TForm3::~TForm3() {
    if (handle_) DestroyWindow(handle_);
}

INT_PTR CALLBACK TForm3::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<TForm3*>(lParam);
        self->handle_ = window;
        SetWindowLongPtrW(window, DWLP_USER, lParam);
    }
    auto* self = reinterpret_cast<TForm3*>(GetWindowLongPtrW(window, DWLP_USER));
    if (!self) return FALSE;
    return self->HandleMessage(message, wParam, lParam);
}

INT_PTR TForm3::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDC_BITBTN1) {
            ShowWindow(handle_, SW_HIDE); // shown again, unchanged, next time
            return TRUE;
        }
        break;
    case WM_NCDESTROY:
        SetWindowLongPtrW(handle_, DWLP_USER, 0);
        handle_ = nullptr;
        break;
    default:
        break;
    }
    return FALSE;
}

} // namespace keyvane

// TForm3, the About box. It has no creation handler; the links come with it.
#include "app/About_win32.h"

#include "app/Unit1_win32.h"
#include "app/DialogHost_win32.h"
#include "app/ModalLoop_win32.h"
#include "app/resource.h"
#include "base/AppInfo.h"
#include "base/WinText.h"

#include <stdexcept>

namespace keyvane {


TForm3::TForm3(HINSTANCE instance, TForm1& form1) : form1_(form1) {
    if (!CreateDialogParamW(instance, MAKEINTRESOURCEW(IDD_FORM3), form1.handle(),
                            &ForwardingDialogProc<TForm3>, reinterpret_cast<LPARAM>(this)))
        throw std::runtime_error("CreateDialogParamW failed for the About box");
}

TForm3::~TForm3() {
    if (handle_) DestroyWindow(handle_);
}

void TForm3::ShowModal() {
    done_ = false;
    RunModal(handle_, IsWindowVisible(form1_.handle()) ? form1_.handle() : nullptr, done_);
}

INT_PTR TForm3::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        SetDlgItemTextW(handle_, IDC_FORM3_LABEL1, ToWide(kAboutText).c_str());
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDC_FORM3_BITBTN1) {
            done_ = true; // shown again, unchanged, next time
            return TRUE;
        }
        break;
    default:
        break;
    }
    return FALSE;
}

} // namespace keyvane

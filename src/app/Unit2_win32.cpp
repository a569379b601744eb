// TForm2, the task editor dialog: its creation step loads the task list into
// the core's table and runs the first registration pass.
#include "app/Unit2_win32.h"

#include "actions/SystemActions.h"
#include "app/DialogHost_win32.h"
#include "app/Unit1_win32.h"
#include "app/resource.h"
#include "base/AppInfo.h"
#include "base/ErrorReport.h"
#include "base/Text.h"
#include "base/WinText.h"

#include <stdexcept>

namespace keyvane {

TForm2* Form2 = nullptr;

TForm2::TForm2(HINSTANCE instance, TForm1& form1, AppCore& core) : form1_(form1), core_(core) {
    // Owned by the main window, so it has no taskbar button of its own.
    if (!CreateDialogParamW(instance, MAKEINTRESOURCEW(IDD_FORM2), form1.handle(),
                            &ForwardingDialogProc<TForm2>, reinterpret_cast<LPARAM>(this)))
        throw std::runtime_error("CreateDialogParamW failed for the task editor");
    core_.setActions(MakeSystemActions(handle_));
}

TForm2::~TForm2() {
    // The editor's hotkey component ends every registration with it, before
    // the main window's destroy step saves.
    core_.ReleaseAllHotKeys();
    if (handle_) DestroyWindow(handle_);
}

void TForm2::FormCreate() {
    const auto loaded = core_.LoadTaskList();
    if (loaded.kind == TaskListStore::LoadResult::Kind::Unreadable) {
        // Starting with no tasks in silence would look like they were lost.
        const std::u16string text =
            FromUtf8(loaded.reason) + u"\n\nKeyvane starts without these tasks. The file is not "
                                      u"overwritten: it will be kept as \"" +
            loaded.rescuePath + u"\" when the task list is next saved.";
        MessageBoxW(nullptr, W(text), W(std::u16string(kApplicationTitle)),
                    MB_OK | MB_ICONWARNING | MB_SETFOREGROUND);
    }
    core_.RegisterAllTaskHotKeys();
}

INT_PTR TForm2::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        Guarded([&] { FormCreate(); });
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDC_FORM2_BITBTN2) {
            ShowWindow(handle_, SW_HIDE); // created once, never destroyed before the end
            return TRUE;
        }
        break;
    default:
        break;
    }
    return FALSE;
}

} // namespace keyvane

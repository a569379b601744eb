// TForm2, the task editor dialog: for now its creation step, which fills the
// main window's task table from the task list file.
#include "app/Unit2_win32.h"

#include "actions/Dispatch.h"
#include "actions/SystemActions.h"
#include "app/ErrorReport.h"
#include "app/Unit1_win32.h"
#include "app/DialogHost_win32.h"
#include "app/resource.h"
#include "app/WinText.h"

#include <stdexcept>

namespace keyvane {

TForm2* Form2 = nullptr;

TForm2::TForm2(HINSTANCE instance, TForm1& form1)
    : HotKeyManager1(std::make_unique<THotKeyManager>(MakeSystemHotKeys())), form1_(form1) {
    // The hotkey component exists before FormCreate runs its registration pass.
    HotKeyManager1->OnHotKeyPressed = [this](HotKeyCode HotKey, std::uint16_t Index) {
        HotKeyManager1HotKeyPressed(HotKey, Index);
    };
    // Owned by the main window, so it has no taskbar button of its own.
    if (!CreateDialogParamW(instance, MAKEINTRESOURCEW(IDD_FORM2), form1.handle(),
                            &ForwardingDialogProc<TForm2>, reinterpret_cast<LPARAM>(this)))
        throw std::runtime_error("CreateDialogParamW failed for the task editor");
    actions_ = MakeSystemActions(handle_);
}

TForm2::~TForm2() {
    if (handle_) DestroyWindow(handle_);
}

void TForm2::FormCreate() {
    // A missing or unreadable task list file leaves the table empty (or
    // partly filled) and reports nothing: the program starts without tasks.
    bool loaded = false;
    try {
        form1_.taskTable().loadTaskList(form1_.taskListPath());
        loaded = true;
        // RebuildTaskIcons comes with the task icons.
    } catch (...) {
        // A file that exists but cannot be read (locked, damaged, far too
        // large) still holds the user's tasks; the next save must not wipe it.
        // A failure after a complete load (the icons) is no reason to.
        const DWORD attributes = GetFileAttributesW(W(form1_.taskListPath()));
        if (!loaded && attributes != INVALID_FILE_ATTRIBUTES &&
            !(attributes & FILE_ATTRIBUTE_DIRECTORY))
            form1_.KeepUnreadableTaskList();
    }

    // The editor's action list comes with the editor.

    // ---- Hotkey registration: RegisterAllTaskHotKeys over all rows. ----
    HotKeyManager1->RegisterAllTaskHotKeys(form1_.taskTable());
}

void TForm2::HotKeyManager1HotKeyPressed(HotKeyCode HotKey, std::uint16_t Index) {
    // Presses arrive only from the message loop, after construction.
    if (actions_) DispatchHotKeyPress(form1_.taskTable(), HotKey, *actions_);
}

INT_PTR TForm2::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        Guarded([&] { FormCreate(); });
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDC_BITBTN2) {
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

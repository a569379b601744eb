// The program's entry: creates the three windows in order, runs the message
// loop until the main window closes, then destroys the windows in reverse
// order (the main window's destroy step saves the task list once more).
#include "windows/AboutBox.h"
#include "app/AppCore.h"
#include "app/AppPaths.h"
#include "windows/SingleInstance.h"
#include "base/ErrorReport.h"
#include "windows/MainWindow.h"
#include "windows/TaskEditorDialog.h"
#include "hotkeys/HotKeyManager.h"

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <memory>

using namespace keyvane;

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // Command-line arguments are not read, and the show command is ignored:
    // nothing shows the main window by itself; only the settings may.

    // A second start in the same folder hands over to the running copy
    // before it reads or writes anything.
    if (!ClaimSingleInstance()) return 0;

    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES |
                                                       ICC_HOTKEY_CLASS | ICC_TAB_CLASSES |
                                                       ICC_LINK_CLASS};
    InitCommonControlsEx(&controls);

    // The shell object behind minimize-all needs the component-object
    // services on this thread. Declared before the windows so that it ends
    // after them: the editor releases that object when it is destroyed.
    struct ComApartment {
        HRESULT status = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        ~ComApartment() {
            if (SUCCEEDED(status)) CoUninitialize();
        }
    } comApartment;

    // Outlives the windows: they all call into it. Hotkey text is written
    // and read with the keyboard layout's names, set up before any window.
    AppCore core(TaskListPathFor(ExecutablePath()), HotKeyNames(SystemKeyNames()),
                 MakeSystemHotKeys());

    std::unique_ptr<TForm1> form1;
    std::unique_ptr<TForm2> form2;
    std::unique_ptr<TForm3> form3;
    try {
        form1 = std::make_unique<TForm1>(instance, core);
        form2 = std::make_unique<TForm2>(instance, *form1, core);
        form3 = std::make_unique<TForm3>(instance, *form1);
        form1->SetOtherForms(form2.get(), form3.get());
    } catch (...) {
        // Without its windows the program cannot run at all. The windows
        // made so far are left to the process end: destroying the main
        // window would save a task table that may never have been loaded.
        ReportHandlerFailure(std::current_exception());
        form3.release();
        form2.release();
        form1.release();
        return 1;
    }

    MSG msg{};
    int exitCode = 0;
    for (;;) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            exitCode = static_cast<int>(msg.wParam);
            break;
        }
        if (got == -1) {
            exitCode = 1;
            break;
        }
        // Tab, the arrows and mnemonics among the main window's controls.
        if (form1->PreTranslateMessage(msg) || IsDialogMessageW(form1->pages(), &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }

    // Reverse order of creation: the editor releases its hotkeys before the
    // main window's destroy step saves the task list.
    form3.reset();
    form2.reset();
    form1.reset();
    return exitCode;
}

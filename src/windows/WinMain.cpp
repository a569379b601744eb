// The program's entry: the core starts first (task list, hotkeys), then the
// main window, then the message loop. The core runs the program's life;
// the windows only show it.
#include "actions/SystemActions.h"
#include "app/AppCore.h"
#include "app/ForegroundWatch.h"
#include "app/AppPaths.h"
#include "app/CommandLine.h"
#include "base/ErrorReport.h"
#include "base/WinText.h"
#include "hotkeys/HotKeyManager.h"
#include "windows/CommandLineUser.h"
#include "windows/MainWindow.h"
#include "windows/SingleInstance.h"
#include "windows/resource.h"

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <memory>
#include <string>
#include <vector>

using namespace keyvane;

namespace {

// The main window's keys (Ctrl+Z, Ctrl+Y) are for it and its controls, and
// not for an edit box that has the focus: there they undo its typing.
bool ForMainWindowKeys(const MSG& msg, HWND main) {
    if (!msg.hwnd || (msg.hwnd != main && !IsChild(main, msg.hwnd))) return false;
    wchar_t focusClass[16] = L"";
    if (HWND focus = GetFocus()) GetClassNameW(focus, focusClass, 16);
    return lstrcmpiW(focusClass, L"Edit") != 0;
}

// The arguments after the program's name, split as the C runtime does.
std::vector<std::u16string> Arguments() {
    std::vector<std::u16string> args;
    int count = 0;
    if (LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count)) {
        for (int i = 1; i < count; ++i)
            args.push_back(FromWide(argv[i]));
        LocalFree(argv);
    }
    return args;
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // Every DLL not loaded by then comes from the system folder only, never
    // from the program's folder (a Downloads folder may hold anything).
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);

    // The show command is ignored: nothing shows the main window by itself;
    // only the settings, or /show, may. A switch is for the running copy of
    // this folder; only /show, with none running, starts this one.
    const CommandRequest request = ParseCommandLine(Arguments());
    if (request.what != Switch::None) {
        NotDoneReason reason = NotDoneReason::None;
        const int local = LocalExitCode(request);
        const int code = local >= 0 ? local : AskRunningCopy(request, reason);
        if (!(code == kExitNotRunning && request.what == Switch::Show)) {
            const TellAs as = request.what == Switch::Help ? TellAs::Help
                              : code == kExitUnknownSwitch ? TellAs::Problem
                                                           : TellAs::Outcome;
            TellCommandLineUser(CommandOutcomeText(request, code, reason), as);
            return code;
        }
    }

    // A second start in the same folder hands over to the running copy
    // before it reads or writes anything.
    if (!ClaimSingleInstance()) return 0;

    // No component-object apartment yet: what needs one enters it on first
    // use (EnterComApartment), so the start maps neither ole32 nor oleaut32.

    // The hotkeys come first: a tray program starts at log-on, and the user
    // presses a hotkey as soon as the desktop appears. No window exists yet,
    // so nothing can run a message loop (or save) before the load.
    const std::u16string exePath = ExecutablePath();
    AppCore core(TaskListPathFor(exePath), HotKeyNames(SystemKeyNames()), MakeSystemHotKeys());
    core.Start();
    // The window in front is watched only while the tasks or the full-screen
    // pause need it, and from after the last registration of the start: the
    // hotkeys of tasks for some programs follow at its first report.
    std::unique_ptr<ForegroundWatch> foreground;
    core.setForegroundWatchSwitch([&core, &foreground](ForegroundNeed need) {
        foreground.reset();
        if (!need.any()) return;
        foreground = MakeSystemForegroundWatch(
            need, [&core](const ForegroundProgram& program) { core.ForegroundChanged(program); });
        core.ForegroundChanged(foreground->Current());
    });
    core.setOptionFiles(std::make_unique<OptionFiles>(exePath, MakeRegistryAutostartStore()));

    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES |
                                                       ICC_HOTKEY_CLASS | ICC_TAB_CLASSES |
                                                       ICC_LINK_CLASS};
    InitCommonControlsEx(&controls);

    std::unique_ptr<MainWindow> mainWindow;
    try {
        mainWindow = std::make_unique<MainWindow>(instance, core);
    } catch (...) {
        // Without its window the program cannot be reached or ended: say
        // why and end. The task list was loaded and nothing changed it.
        ReportHandlerFailure(std::current_exception());
        return 1;
    }
    core.setActions(MakeSystemActions(mainWindow->handle()));
    if (request.what == Switch::Show)
        PostMessageW(mainWindow->handle(), WM_COMMAND, IDM_TRAY_SHOW, 0);

    const HACCEL mainKeys = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_MAIN_ACCELERATORS));
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
        if (mainKeys && ForMainWindowKeys(msg, mainWindow->handle()) &&
            TranslateAcceleratorW(mainWindow->handle(), mainKeys, &msg))
            continue;
        // Tab, the arrows and mnemonics among the main window's controls.
        if (mainWindow->PreTranslateMessage(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    // The exit route has saved and given the hotkeys back; the actions go
    // before the component-object services end.
    core.setActions(nullptr);
    return exitCode;
}

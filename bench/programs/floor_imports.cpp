// Start-up floor with keyvane.exe's DLLs: the empty floor plus one cheap
// call into each DLL keyvane.exe imports, so that the loader maps the same
// set. Keep the list equal to
//   x86_64-w64-mingw32-objdump -p keyvane.exe | grep 'DLL Name'
#include "floor.h"

#include <commctrl.h>
#include <shellapi.h>

namespace {

// Each call does (next to) nothing; what counts is that it is imported.
void TouchEachDll() {
    RegCloseKey(nullptr);             // advapi32
    InitCommonControls();             // comctl32
    GetStockObject(DEFAULT_GUI_FONT); // gdi32
    int argc = 0;                     // shell32
    LocalFree(CommandLineToArgvW(GetCommandLineW(), &argc));
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    TouchEachDll();
    return floor_program::RunHiddenFloor(instance);
}

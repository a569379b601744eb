// Start-up floor: the least a hidden tray-style program does before its
// first hotkey works, with no DLLs beyond the C runtime's and user32.
#include "floor.h"

namespace {

LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    const HWND main = floor_program::CreateTopLevel(instance, MainProc, L"FloorMain",
                                                    keyvane::kMainWindowCaption);
    if (!main || !floor_program::RegisterHotKeyOf(main)) return 2;
    return floor_program::RunMessageLoop();
}

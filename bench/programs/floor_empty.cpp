// Start-up floor: the least a hidden tray-style program does before its
// first hotkey works, with no DLLs beyond the C runtime's and user32.
#include "floor.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    return floor_program::RunHiddenFloor(instance);
}

// Functions of DLLs that are loaded on first use rather than at start: those
// Windows does not always take from its system folder (winmm, uxtheme) and
// those a tray-only start never needs (comdlg32, ole32, oleaut32). Each comes
// from the system folder only, so a file of the same name beside the program
// is never loaded into it, and the start maps none of them.
// Windows only.
#pragma once

namespace keyvane {

// The function, or null when the DLL or the function is missing. The DLL
// stays loaded for the program's life.
void* SystemLibraryFunction(const wchar_t* dll, const char* name);

template <class Function> Function* SystemFunction(const wchar_t* dll, const char* name) {
    return reinterpret_cast<Function*>(SystemLibraryFunction(dll, name));
}

// DwmGetWindowAttribute of the desktop window manager, loaded from the
// system folder on first use (keyvane.exe imports none of its DLLs): true
// when it filled value. False where the DLL is missing or the call fails
// (composition off).
bool WindowManagerAttribute(void* window, unsigned long attribute, void* value, unsigned long size);
// Whether the desktop composer hides the window though it counts as visible:
// on another virtual desktop, a suspended store app (DWMWA_CLOAKED).
bool IsCloaked(void* window);

// Makes the calling thread a single-threaded component-object apartment,
// once; what the shell's objects, its execute functions and the file dialog
// need. False when the services cannot be had (the callers then go on: the
// shell works without them for plain programs and files). The apartment
// lasts until the thread ends.
bool EnterComApartment();

} // namespace keyvane

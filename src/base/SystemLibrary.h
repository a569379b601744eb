// Functions of DLLs that Windows does not always take from its system
// folder (winmm, uxtheme): loaded on first use from that folder only, so a
// file of the same name beside the program is never loaded into it.
// Windows only.
#pragma once

namespace keyvane {

// The function, or null when the DLL or the function is missing. The DLL
// stays loaded for the program's life.
void* SystemLibraryFunction(const wchar_t* dll, const char* name);

template <class Function> Function* SystemFunction(const wchar_t* dll, const char* name) {
    return reinterpret_cast<Function*>(SystemLibraryFunction(dll, name));
}

} // namespace keyvane

#include "base/SystemLibrary.h"

#include <windows.h>

namespace keyvane {

void* SystemLibraryFunction(const wchar_t* dll, const char* name) {
    // The flag, not the search order, decides: this holds even where the
    // process-wide default was not set.
    HMODULE module = LoadLibraryExW(dll, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return module ? reinterpret_cast<void*>(GetProcAddress(module, name)) : nullptr;
}

} // namespace keyvane

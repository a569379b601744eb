#include "base/SystemLibrary.h"

#include <windows.h>

#include <objbase.h>

namespace keyvane {

void* SystemLibraryFunction(const wchar_t* dll, const char* name) {
    // The flag, not the search order, decides: this holds even where the
    // process-wide default was not set.
    HMODULE module = LoadLibraryExW(dll, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return module ? reinterpret_cast<void*>(GetProcAddress(module, name)) : nullptr;
}

bool WindowManagerAttribute(void* window, unsigned long attribute, void* value,
                            unsigned long size) {
    using Function = HRESULT WINAPI(HWND, DWORD, void*, DWORD);
    static Function* const get = SystemFunction<Function>(L"dwmapi.dll", "DwmGetWindowAttribute");
    return get && SUCCEEDED(get(static_cast<HWND>(window), attribute, value, size));
}

bool IsCloaked(void* window) {
    constexpr DWORD kCloaked = 14; // DWMWA_CLOAKED, which MinGW's headers may lack
    DWORD cloaked = 0;
    return WindowManagerAttribute(window, kCloaked, &cloaked, sizeof cloaked) && cloaked != 0;
}

bool EnterComApartment() {
    // Once per thread: the apartment is never left, so one success holds.
    // S_FALSE (already such an apartment) counts as entered;
    // RPC_E_CHANGED_MODE (a multithreaded one) still lets the shell work.
    thread_local bool entered = false;
    if (entered) return true;
    auto* initialize = SystemFunction<decltype(CoInitializeEx)>(L"ole32.dll", "CoInitializeEx");
    if (!initialize) return false;
    const HRESULT status = initialize(nullptr, COINIT_APARTMENTTHREADED);
    entered = SUCCEEDED(status) || status == RPC_E_CHANGED_MODE;
    return entered;
}

} // namespace keyvane

// The running executable's full path, of any length.
#include "app/AppPaths.h"

#include "base/WinText.h"

#include <windows.h>

#include <stdexcept>

namespace keyvane {

std::u16string ExecutablePath() {
    // GetModuleFileNameW truncates silently when the buffer is too small, so
    // grow it until the answer fits (paths may exceed MAX_PATH).
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) throw std::runtime_error("GetModuleFileNameW failed");
        if (n < buffer.size()) return FromWide(std::wstring_view(buffer.data(), n));
        if (buffer.size() >= 32768) throw std::runtime_error("GetModuleFileNameW: path too long");
        buffer.resize(buffer.size() * 2);
    }
}

} // namespace keyvane

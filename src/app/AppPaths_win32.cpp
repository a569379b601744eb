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

std::u16string FinalPathOf(std::u16string_view folder) {
    // Opening a folder needs backup semantics; no access is asked for.
    HANDLE handle = CreateFileW(ToWide(folder).c_str(), 0,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return {};
    std::wstring buffer(MAX_PATH, L'\0');
    DWORD n = GetFinalPathNameByHandleW(handle, buffer.data(), static_cast<DWORD>(buffer.size()),
                                        FILE_NAME_NORMALIZED);
    if (n >= buffer.size()) {
        buffer.resize(n + 1);
        n = GetFinalPathNameByHandleW(handle, buffer.data(), static_cast<DWORD>(buffer.size()),
                                      FILE_NAME_NORMALIZED);
    }
    CloseHandle(handle);
    if (n == 0 || n >= buffer.size()) return {};
    return FromWide(std::wstring_view(buffer.data(), n));
}

} // namespace keyvane

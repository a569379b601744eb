#include "app/RunningCopy.h"

#include "base/WinText.h"

#include <windows.h>

namespace keyvane {
namespace {

bool TokenElevated(HANDLE process) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(process, TOKEN_QUERY, &token))
        // A token our rights may not read is of a higher level than ours.
        return GetLastError() == ERROR_ACCESS_DENIED;
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    const bool elevated =
        GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size) &&
        elevation.TokenIsElevated != 0;
    CloseHandle(token);
    return elevated;
}

} // namespace

bool ThisProcessElevated() {
    static const bool elevated = TokenElevated(GetCurrentProcess());
    return elevated;
}

bool ProcessElevated(unsigned long processId) {
    // Limited query access is granted on processes of higher levels too.
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    // One that cannot be opened at all is gone, or not ours to ask; the
    // request itself then tells (a blocked message fails with access denied).
    if (!process) return false;
    const bool elevated = TokenElevated(process);
    CloseHandle(process);
    return elevated;
}

bool ShellElevated() {
    // Without a desktop shell (Wine) the taskbar's process is the shell.
    HWND shell = GetShellWindow();
    if (!shell) shell = FindWindowW(L"Shell_TrayWnd", nullptr);
    DWORD processId = 0;
    if (!shell || !GetWindowThreadProcessId(shell, &processId) || !processId) return false;
    return ProcessElevated(processId);
}

std::u16string ProcessImagePath(unsigned long processId) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (!process) return {};
    std::wstring buffer(MAX_PATH, L'\0');
    DWORD size = static_cast<DWORD>(buffer.size());
    BOOL got = QueryFullProcessImageNameW(process, 0, buffer.data(), &size);
    if (!got && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
        buffer.assign(32768, L'\0');
        size = static_cast<DWORD>(buffer.size());
        got = QueryFullProcessImageNameW(process, 0, buffer.data(), &size);
    }
    CloseHandle(process);
    if (!got) return {};
    return FromWide(std::wstring_view(buffer.data(), size));
}

} // namespace keyvane

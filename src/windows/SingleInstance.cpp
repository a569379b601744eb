#include "windows/SingleInstance.h"

#include "app/AppPaths.h"
#include "base/Text.h"
#include "base/WinText.h"

namespace keyvane {

DWORD InstanceKey() {
    static const DWORD key = [] {
        const std::u16string folder = DirectoryOf(ExecutablePath());
        return static_cast<DWORD>(InstanceKeyFor(folder, FinalPathOf(folder)));
    }();
    return key;
}

UINT ShowRunningInstanceMessage() {
    static const UINT message = RegisterWindowMessageW(L"Keyvane.ShowRunningInstance");
    return message;
}

bool ClaimSingleInstance() {
    wchar_t name[64];
    wsprintfW(name, L"Local\\Keyvane-%08lX", static_cast<unsigned long>(InstanceKey()));
    // Kept open until the process ends; the system then releases it.
    HANDLE mutex = CreateMutexW(nullptr, FALSE, name);
    if (!mutex || GetLastError() != ERROR_ALREADY_EXISTS) return true;
    CloseHandle(mutex);
    // The running copy may come to the front when it answers.
    AllowSetForegroundWindow(ASFW_ANY);
    PostMessageW(HWND_BROADCAST, ShowRunningInstanceMessage(), InstanceKey(), 0);
    return false;
}

} // namespace keyvane

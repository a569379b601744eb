#include "windows/SingleInstance.h"

#include "app/AppPaths.h"
#include "app/InstanceClaim.h"
#include "base/AppInfo.h"
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

namespace {

MutexClaim ClaimMutex() {
    wchar_t name[64];
    wsprintfW(name, L"Local\\Keyvane-%08lX", static_cast<unsigned long>(InstanceKey()));
    // Kept open until the process ends; the system then releases it.
    HANDLE mutex = CreateMutexW(nullptr, FALSE, name);
    const DWORD error = GetLastError();
    if (!mutex) return error == ERROR_ACCESS_DENIED ? MutexClaim::AccessDenied : MutexClaim::Failed;
    if (error != ERROR_ALREADY_EXISTS) return MutexClaim::Created;
    CloseHandle(mutex);
    return MutexClaim::AlreadyExists;
}

// data\keyvane.lock, opened sharing nothing and never closed: the system
// closes it when the process ends, whatever way, and deletes it then.
LockClaim ClaimLockFile() {
    const std::u16string folder = DataDirectoryFor(ExecutablePath());
    // A first start has no data folder yet; the lock needs one.
    CreateDirectoryW(W(folder), nullptr);
    const std::u16string path = folder + u"\\keyvane.lock";
    HANDLE lock =
        CreateFileW(W(path), GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr, OPEN_ALWAYS,
                    FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (lock != INVALID_HANDLE_VALUE) return LockClaim::Taken;
    const DWORD error = GetLastError();
    if (error == ERROR_SHARING_VIOLATION) return LockClaim::Held;
    // A lock that exists and is refused is another user's, or one being
    // deleted as its copy ends; a refused creation is a folder we cannot write.
    if (error == ERROR_ACCESS_DENIED && GetFileAttributesW(W(path)) != INVALID_FILE_ATTRIBUTES)
        return LockClaim::Held;
    return LockClaim::Failed;
}

} // namespace

bool ClaimSingleInstance() {
    const MutexClaim mutex = ClaimMutex();
    const LockClaim lock = NeedsLockFile(mutex) ? ClaimLockFile() : LockClaim::Failed;
    const StartDecision decision = DecideStart(mutex, lock);
    if (decision == StartDecision::Run) return true;
    if (decision != StartDecision::Tell) {
        // The running copy may come to the front when it answers.
        AllowSetForegroundWindow(ASFW_ANY);
        PostMessageW(HWND_BROADCAST, ShowRunningInstanceMessage(), InstanceKey(), 0);
    }
    if (decision != StartDecision::BringForward) {
        const std::u16string title(kApplicationTitle);
        MessageBoxW(nullptr, W(std::u16string(kAlreadyRunningText)), W(title),
                    MB_OK | MB_ICONINFORMATION);
    }
    return false;
}

} // namespace keyvane

#include "windows/SingleInstance.h"

#include "app/AppPaths.h"
#include "app/InstanceClaim.h"
#include "app/RunningCopy.h"
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

// A program file as the file system resolves it, so that two spellings
// of one file (short names, a substituted drive) are one.
std::u16string ResolvedFile(const std::u16string& path) {
    std::u16string final = FinalPathOf(path);
    return final.empty() ? path : final;
}

// The process of a main window of a copy of this very program file, or 0
// for any other window: other programs' windows may have our generic class.
DWORD CopyProcessOf(HWND window) {
    wchar_t className[32] = L"";
    GetClassNameW(window, className, 32);
    if (std::u16string_view(reinterpret_cast<const char16_t*>(className)) != kMainWindowClass)
        return 0;
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (!processId || processId == GetCurrentProcessId()) return 0;
    static const std::u16string ours = ResolvedFile(ExecutablePath());
    const std::u16string theirs = ProcessImagePath(processId);
    if (theirs.empty() || !SameProgramFile(ours, ResolvedFile(theirs))) return 0;
    return processId;
}

BOOL CALLBACK ShowCopy(HWND window, LPARAM) {
    const DWORD processId = CopyProcessOf(window);
    if (!processId) return TRUE;
    // The copy may come to the front when it shows itself; no other may.
    AllowSetForegroundWindow(processId);
    PostMessageW(window, ShowRunningInstanceMessage(), InstanceKey(), 0);
    return TRUE;
}

std::wstring MutexName() {
    wchar_t name[64];
    wsprintfW(name, L"Local\\Keyvane-%08lX", static_cast<unsigned long>(InstanceKey()));
    return name;
}

MutexClaim ClaimMutex() {
    const std::wstring name = MutexName();
    // Kept open until the process ends; the system then releases it.
    HANDLE mutex = CreateMutexW(nullptr, FALSE, name.c_str());
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
    if (decision != StartDecision::Tell) EnumWindows(&ShowCopy, 0);
    if (decision != StartDecision::BringForward) {
        const std::u16string title(kApplicationTitle);
        MessageBoxW(nullptr, W(std::u16string(kAlreadyRunningText)), W(title),
                    MB_OK | MB_ICONINFORMATION);
    }
    return false;
}

namespace {

struct Asking {
    LPARAM request;
    HWND answered = nullptr;
    LRESULT answer = 0;
    // A copy runs elevated and this start does not: the exit code and
    // reason to end with.
    bool refused = false;
    int refusedCode = 0;
    NotDoneReason refusedReason{};
};

BOOL CALLBACK AskWindow(HWND window, LPARAM context) {
    auto& asking = *reinterpret_cast<Asking*>(context);
    const DWORD processId = CopyProcessOf(window);
    if (!processId) return TRUE;
    if (RefusedByElevatedCopy(ThisProcessElevated(), ProcessElevated(processId), asking.refusedCode,
                              asking.refusedReason)) {
        asking.refused = true;
        return TRUE;
    }
    // What the copy starts or shows may then come to the front.
    AllowSetForegroundWindow(processId);
    DWORD_PTR result = 0;
    // A copy that hangs is not waited for long.
    if (!SendMessageTimeoutW(window, ShowRunningInstanceMessage(), InstanceKey(), asking.request,
                             SMTO_ABORTIFHUNG, 10000, &result)) {
        // A message the copy's integrity level blocks fails with access
        // denied: its token was not readable, yet it is elevated.
        if (GetLastError() == ERROR_ACCESS_DENIED &&
            RefusedByElevatedCopy(ThisProcessElevated(), true, asking.refusedCode,
                                  asking.refusedReason))
            asking.refused = true;
        return TRUE;
    }
    int code = 0;
    NotDoneReason reason{};
    if (!DecodeAnswer(static_cast<LRESULT>(result), code, reason)) return TRUE;
    asking.answered = window;
    asking.answer = static_cast<LRESULT>(result);
    return FALSE;
}

// A copy holds the folder's mutex from its first instruction, before its
// window exists.
bool CopyStarting() {
    HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, MutexName().c_str());
    // An elevated copy's mutex is there, but not ours to open.
    if (!mutex) return GetLastError() == ERROR_ACCESS_DENIED;
    CloseHandle(mutex);
    return true;
}

} // namespace

int AskRunningCopy(const CommandRequest& request, NotDoneReason& reason) {
    reason = NotDoneReason::None;
    Asking asking{static_cast<LPARAM>(EncodeCommand(request))};
    const ULONGLONG giveUp = GetTickCount64() + 5000;
    for (;;) {
        EnumWindows(&AskWindow, reinterpret_cast<LPARAM>(&asking));
        if (asking.answered) break;
        if (asking.refused) {
            reason = asking.refusedReason;
            return asking.refusedCode;
        }
        if (!CopyStarting() || GetTickCount64() >= giveUp) return kExitNotRunning;
        Sleep(100);
    }
    int code = kExitNotRunning;
    DecodeAnswer(asking.answer, code, reason);
    if (request.what == Switch::Exit && code == kExitDone) {
        DWORD processId = 0;
        GetWindowThreadProcessId(asking.answered, &processId);
        // Ended when the call returns: a script may then replace the program.
        if (HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, processId)) {
            const DWORD waited = WaitForSingleObject(process, 10000);
            CloseHandle(process);
            if (waited == WAIT_TIMEOUT) {
                reason = NotDoneReason::DidNotEnd;
                return kExitNotDone;
            }
        }
    }
    return code;
}

} // namespace keyvane

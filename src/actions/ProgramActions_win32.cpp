// The Windows half of starting and stopping programs. Wide calls throughout:
// no text is squeezed through the 8-bit code page.
#include "actions/ProgramActions.h"

#include "base/AppInfo.h"
#include "base/SystemLibrary.h"
#include "base/WinText.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <memory>

namespace keyvane {

namespace {

constexpr DWORD kInputIdleWaitMs = 30000;

class WindowsProcesses final : public ProcessControl {
  public:
    std::vector<ProcessEntry> RunningProcesses() override {
        std::vector<ProcessEntry> entries;
        const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        if (snapshot == INVALID_HANDLE_VALUE) return entries;
        // Closed on every way out, a failed allocation in the walk included.
        const std::unique_ptr<void, decltype(&CloseHandle)> closer(snapshot, &CloseHandle);
        PROCESSENTRY32W entry{};
        entry.dwSize = sizeof(entry);
        for (BOOL ok = Process32FirstW(snapshot, &entry); ok;
             ok = Process32NextW(snapshot, &entry)) {
            entries.push_back({entry.th32ProcessID, FromWide(entry.szExeFile)});
        }
        return entries;
    }

    std::optional<std::uint32_t> Terminate(std::uint32_t id) override {
        const HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, id);
        if (!process) {
            const DWORD error = GetLastError();
            // The process ended between the snapshot and now.
            if (error == ERROR_INVALID_PARAMETER) return std::nullopt;
            return error;
        }
        std::optional<std::uint32_t> failure;
        if (!TerminateProcess(process, 0)) {
            const DWORD error = GetLastError();
            // A process that has already ended refuses with access denied.
            if (!(error == ERROR_ACCESS_DENIED && HasEnded(id))) failure = error;
        }
        CloseHandle(process);
        return failure;
    }

  private:
    static bool HasEnded(std::uint32_t id) {
        const HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, id);
        if (!process) return GetLastError() == ERROR_INVALID_PARAMETER;
        const bool ended = WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
        CloseHandle(process);
        return ended;
    }
};

} // namespace

void ShellRunProgram(void* ownerWindow, const std::u16string& program,
                     const std::u16string& parameters, int showCode) {
    // A program named by its full path starts in its own folder, as a
    // shortcut starts it, rather than in Keyvane's.
    const std::u16string folder = ProgramStartFolder(program);
    // The shell may hand the file to an extension, which needs an apartment.
    EnterComApartment();
    ShellExecuteW(static_cast<HWND>(ownerWindow), L"open", W(program), W(parameters), W(folder),
                  showCode);
}

void ShellOpenAddress(void* ownerWindow, const std::u16string& address, int showCode) {
    // No verb: the shell's default action for the address or document.
    EnterComApartment();
    ShellExecuteW(static_cast<HWND>(ownerWindow), nullptr, W(address), L"", L"", showCode);
}

void ShellOpenSpecialFolder(SpecialFolder folder, int showCode) {
    const int csidl = folder == SpecialFolder::MyComputer ? CSIDL_DRIVES : CSIDL_PERSONAL;
    EnterComApartment();
    LPITEMIDLIST items = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, &items)) || !items) return;
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_IDLIST | SEE_MASK_NOCLOSEPROCESS;
    info.nShow = showCode;
    info.lpIDList = items;
    if (ShellExecuteExW(&info) && info.hProcess) CloseHandle(info.hProcess);
    // The shell's own free, so this file needs nothing of ole32.
    ILFree(items);
}

void StartSystemProgram(const std::u16string& fileName, int showCode) {
    // By full path: a search for the bare name looks in Keyvane's own folder
    // first, so a program of the same name planted there would run instead.
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    const std::wstring path = std::wstring(folder, length) + L"\\" + ToWide(fileName);
    // The program sees its own path, quoted, as its first argument.
    std::wstring line = L"\"" + path + L"\"";
    // The show code goes on through the startup information.
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(showCode);
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(path.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &started))
        return;
    CloseHandle(started.hThread);
    // The old launcher returned only once the program was ready for input (at
    // most 30 s), so a later row of the same press (minimize-all, close by
    // name) finds its window. A console program fails the wait at once.
    WaitForInputIdle(started.hProcess, kInputIdleWaitMs);
    CloseHandle(started.hProcess);
}

void CloseProcessesByName(const std::u16string& fileName) {
    WindowsProcesses processes;
    const std::u16string message =
        CloseFailureMessage(fileName, CloseMatchingProcesses(processes, fileName));
    if (message.empty()) return;
    // No owner, as the power failures: the main window stays usable while
    // the box is open.
    const std::u16string title(kApplicationTitle);
    MessageBoxW(nullptr, W(message), W(title), MB_OK);
}

} // namespace keyvane

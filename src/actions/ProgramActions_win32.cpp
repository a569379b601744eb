// The Windows half of starting and stopping programs. Wide calls throughout:
// no text is squeezed through the 8-bit code page.
#include "actions/ProgramActions.h"

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

    void Terminate(std::uint32_t id) override {
        const HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, id);
        if (!process) return;
        TerminateProcess(process, 0);
        CloseHandle(process);
    }
};

} // namespace

void ShellRunProgram(void* ownerWindow, const std::u16string& program,
                     const std::u16string& parameters, int showCode) {
    ShellExecuteW(static_cast<HWND>(ownerWindow), L"open", W(program), W(parameters), L"",
                  showCode);
}

void ShellOpenAddress(void* ownerWindow, const std::u16string& address, int showCode) {
    // No verb: the shell's default action for the address or document.
    ShellExecuteW(static_cast<HWND>(ownerWindow), nullptr, W(address), L"", L"", showCode);
}

void ShellOpenSpecialFolder(SpecialFolder folder, int showCode) {
    const int csidl = folder == SpecialFolder::MyComputer ? CSIDL_DRIVES : CSIDL_PERSONAL;
    LPITEMIDLIST items = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, &items)) || !items) return;
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_IDLIST | SEE_MASK_NOCLOSEPROCESS;
    info.nShow = showCode;
    info.lpIDList = items;
    if (ShellExecuteExW(&info) && info.hProcess) CloseHandle(info.hProcess);
    CoTaskMemFree(items);
}

void StartProgram(const std::u16string& commandLine, int showCode) {
    // CreateProcessW searches for the program as the old 8-bit launcher did
    // (program folder, current folder, system folders, PATH) and hands the
    // show code on through the startup information.
    std::wstring line = ToWide(commandLine);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(showCode);
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
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
    CloseMatchingProcesses(processes, fileName);
}

} // namespace keyvane

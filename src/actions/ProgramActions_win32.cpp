// The Windows half of starting and stopping programs. Wide calls throughout:
// no text is squeezed through the 8-bit code page.
#include "actions/ProgramActions.h"

#include "base/Errors.h"
#include "base/SystemLibrary.h"
#include "base/Text.h"
#include "base/WinText.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <algorithm>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace keyvane {

namespace {

// How long a fixed program's start may hold the hotkeys, the tray and the
// session's end while it gets ready: a moment, about what a small system
// program started warm needs; one that takes longer starts on its own while
// the press goes on.
constexpr DWORD kInputIdleWaitMs = 250;

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

namespace {

// The hotkey press made this process the one that may set the window in
// front; a program it starts may not, unless it is passed on, and would open
// behind the window the user pressed the hotkey in.
void PassOnForeground(HANDLE process) {
    if (!process) return; // handed to a program that runs already (DDE)
    AllowSetForegroundWindow(GetProcessId(process));
    CloseHandle(process);
}

// Asks the shell to run a record that has SEE_MASK_FLAG_NO_UI: its own error
// box would be a message loop inside the action, owned by a window that may
// be hidden, and tell the user nothing of which task failed. The failure is
// told instead, beside the tray icon, with what the task names and the
// system's reason; the user's No to an elevation prompt is no failure.
bool ShellRun(SHELLEXECUTEINFOW& info, std::string_view failed, std::u16string_view what) {
    if (ShellExecuteExW(&info)) return true;
    const DWORD error = GetLastError();
    if (error == ERROR_CANCELLED) return false;
    std::string text = std::string(failed) + " \"" + ToUtf8(what) + "\"";
    text += error == 0 ? std::string(".") : ": " + SystemErrorText(error);
    throw ActionFailure(text);
}

} // namespace

std::u16string ProcessImagePath(std::uint32_t processId) {
    // The least access: granted by elevated and protected processes too.
    const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (!process) return {};
    wchar_t path[MAX_PATH * 4];
    DWORD size = static_cast<DWORD>(std::size(path));
    const BOOL ok = QueryFullProcessImageNameW(process, 0, path, &size);
    CloseHandle(process);
    return ok ? FromWide(std::wstring_view(path, size)) : std::u16string();
}

void ShellRunProgram(void* ownerWindow, const std::u16string& program,
                     const std::u16string& parameters, int showCode) {
    // A program named by its full path starts in its own folder, as a
    // shortcut starts it, rather than in Keyvane's.
    const std::u16string folder = ProgramStartFolder(program);
    // The shell may hand the file to an extension, which needs an apartment.
    EnterComApartment();
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.hwnd = static_cast<HWND>(ownerWindow);
    info.lpVerb = L"open";
    info.lpFile = W(program);
    info.lpParameters = W(parameters);
    info.lpDirectory = W(folder);
    info.nShow = showCode;
    if (ShellRun(info, "Could not start", program)) PassOnForeground(info.hProcess);
}

namespace {

struct WindowWalk {
    std::vector<WindowRecord> windows;
};

// Everything here reads the system's own records of the window: no call
// waits for the window's program, however busy it is.
BOOL CALLBACK CollectWindow(HWND window, LPARAM walkParam) {
    auto& walk = *reinterpret_cast<WindowWalk*>(walkParam);
    WindowRecord record;
    record.handle = reinterpret_cast<std::uintptr_t>(window);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    record.processId = processId;
    record.rootOwner = reinterpret_cast<std::uintptr_t>(GetAncestor(window, GA_ROOTOWNER));
    if (!record.rootOwner) record.rootOwner = record.handle;
    record.lastActivePopup = reinterpret_cast<std::uintptr_t>(GetLastActivePopup(window));
    if (!record.lastActivePopup) record.lastActivePopup = record.handle;
    record.visible = IsWindowVisible(window) != FALSE;
    record.cloaked = IsCloaked(window);
    const LONG_PTR exStyle = GetWindowLongPtrW(window, GWL_EXSTYLE);
    record.toolWindow = (exStyle & WS_EX_TOOLWINDOW) != 0;
    record.appWindow = (exStyle & WS_EX_APPWINDOW) != 0;
    record.topmost = (exStyle & WS_EX_TOPMOST) != 0;
    record.minimized = IsIconic(window) != FALSE;
    record.hung = IsHungAppWindow(window) != FALSE;
    walk.windows.push_back(record);
    return TRUE;
}

// The top-level windows in the order of the screen, the top first.
std::vector<WindowRecord> TopLevelWindows() {
    WindowWalk walk;
    EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&walk));
    return std::move(walk.windows);
}

} // namespace

std::vector<std::u16string> RunningWindowPrograms() {
    const std::vector<WindowRecord> windows = TopLevelWindows();
    std::vector<std::u16string> names;
    std::vector<std::uint32_t> asked;
    for (std::size_t i = 0; i < windows.size(); ++i) {
        const std::uint32_t processId = windows[i].processId;
        if (!IsSwitcherWindow(windows, i) ||
            std::find(asked.begin(), asked.end(), processId) != asked.end())
            continue;
        asked.push_back(processId);
        std::u16string name(FileNamePart(ProcessImagePath(processId)));
        if (!name.empty()) names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end(),
              [](const auto& a, const auto& b) { return CaseFolded(a) < CaseFolded(b); });
    names.erase(
        std::unique(names.begin(), names.end(),
                    [](const auto& a, const auto& b) { return CaseFolded(a) == CaseFolded(b); }),
        names.end());
    return names;
}

void BringUpProgram(void* ownerWindow, const std::u16string& program,
                    const std::u16string& parameters, int showCode, bool toggle) {
    const std::vector<WindowRecord> windows = TopLevelWindows();
    std::vector<std::uint32_t> asked, copies;
    const DWORD self = GetCurrentProcessId();
    for (std::size_t i = 0; i < windows.size(); ++i) {
        const std::uint32_t processId = windows[i].processId;
        if (processId == self || !IsSwitcherWindow(windows, i) ||
            std::find(asked.begin(), asked.end(), processId) != asked.end())
            continue;
        asked.push_back(processId);
        if (IsCopyOfProgram(ProcessImagePath(processId), program)) copies.push_back(processId);
    }
    // A dialog in front stands for the window that owns it.
    const HWND foreground = GetForegroundWindow();
    const HWND foregroundRoot = foreground ? GetAncestor(foreground, GA_ROOTOWNER) : nullptr;
    const RaisePlan plan =
        PlanRaise(windows, copies, reinterpret_cast<std::uintptr_t>(foregroundRoot), toggle);
    const HWND window = reinterpret_cast<HWND>(plan.window);
    // The changes are queued to the window's own thread (ShowWindowAsync):
    // ShowWindow on another program's window waits until that program
    // answers, and would hold every hotkey while it does not.
    switch (plan.step) {
    case RaiseStep::StartCopy:
        return ShellRunProgram(ownerWindow, program, parameters, showCode);
    case RaiseStep::Leave:
        return;
    case RaiseStep::Minimize:
        // The window below it comes in front, as after a click on the
        // taskbar button.
        ShowWindowAsync(window, SW_MINIMIZE);
        return;
    case RaiseStep::Activate:
        if (plan.restore) ShowWindowAsync(window, SW_RESTORE);
        // A dialog the window has open is where the user left it.
        SetForegroundWindow(reinterpret_cast<HWND>(plan.front));
        return;
    }
}

void ShellOpenAddress(void* ownerWindow, const std::u16string& address, int showCode) {
    // No verb: the shell's default action for the address or document.
    // The record form, for its mask: ShellExecuteW has no way to keep the
    // shell's own error box from opening.
    EnterComApartment();
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_FLAG_NO_UI;
    info.hwnd = static_cast<HWND>(ownerWindow);
    info.lpFile = W(address);
    info.lpParameters = L"";
    info.lpDirectory = L"";
    info.nShow = showCode;
    ShellRun(info, "Could not open", address);
}

void ShellOpenSpecialFolder(SpecialFolder folder, int showCode) {
    const int csidl = folder == SpecialFolder::MyComputer ? CSIDL_DRIVES : CSIDL_PERSONAL;
    EnterComApartment();
    LPITEMIDLIST items = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, &items)) || !items) return;
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_IDLIST | SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.nShow = showCode;
    info.lpIDList = items;
    // The shell's own free, so this file needs nothing of ole32; freed on
    // every way out, a told failure included.
    const std::unique_ptr<ITEMIDLIST, decltype(&ILFree)> owned(items, &ILFree);
    if (ShellRun(info, "Could not open",
                 folder == SpecialFolder::MyComputer ? u"My Computer" : u"My Documents") &&
        info.hProcess)
        CloseHandle(info.hProcess);
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
    // Held until it may set the window in front, so its first window does.
    if (!CreateProcessW(path.c_str(), line.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                        nullptr, nullptr, &startup, &started))
        // A Windows without the program (Calculator removed, a trimmed
        // image) must not look like a hotkey that did nothing.
        throw ActionFailure("Could not start \"" + ToUtf8(FromWide(path)) +
                            "\": " + SystemErrorText(GetLastError()));
    AllowSetForegroundWindow(started.dwProcessId);
    ResumeThread(started.hThread);
    CloseHandle(started.hThread);
    // Returns once the program is ready for input, so a later row of the same
    // press (minimize-all, close by name) finds its window; but only for a
    // moment, as this thread answers the hotkeys. A console program fails the
    // wait at once.
    WaitForInputIdle(started.hProcess, kInputIdleWaitMs);
    CloseHandle(started.hProcess);
}

void CloseProcessesByName(const std::u16string& fileName) {
    WindowsProcesses processes;
    const std::u16string message =
        CloseFailureMessage(fileName, CloseMatchingProcesses(processes, fileName));
    // Told beside the tray icon, as the shell's failures: a box here would
    // be a message loop inside the action.
    if (!message.empty()) throw ActionFailure(ToUtf8(message));
}

} // namespace keyvane

// Commands on other processes and what they hold: their end, their open
// handles, and a file held locked as another program would.
#include "Driver.h"

#include <algorithm>

using namespace driver;

namespace {

// The process's entries in the system's list of open handles
// (SystemHandleInformation, in Wine's layout of an entry).
DWORD HandlesInSystemList(DWORD pid) {
    struct Entry {
        ULONG ownerPid;
        BYTE objectType, flags;
        USHORT value;
        PVOID object;
        ULONG access;
    };
    struct List {
        ULONG count;
        Entry entries[1];
    };
    using QueryFn = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
    const auto query = reinterpret_cast<QueryFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    if (!query) Fail(L"no NtQuerySystemInformation");
    constexpr ULONG kSystemHandleInformation = 16;
    constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);
    std::vector<char> buffer(1 << 16);
    LONG status;
    ULONG needed = 0;
    while ((status = query(kSystemHandleInformation, buffer.data(),
                           static_cast<ULONG>(buffer.size()), &needed)) == kInfoLengthMismatch)
        buffer.resize(buffer.size() * 2);
    if (status != 0) Fail(L"NtQuerySystemInformation failed");
    const auto* list = reinterpret_cast<const List*>(buffer.data());
    return static_cast<DWORD>(std::count_if(list->entries, list->entries + list->count,
                                            [&](const Entry& e) { return e.ownerPid == pid; }));
}

const Command kCommands[] = {
    {L"exited PID [TIMEOUT]", // Waits for its end; prints "exit CODE" or "exit unknown".
     [](const Args& a) {
         const HANDLE p =
             OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, a.Int(1));
         if (!p) return Print(L"exit unknown");
         const DWORD waited = WaitForSingleObject(p, a.Timeout(2));
         DWORD code = 0;
         GetExitCodeProcess(p, &code);
         CloseHandle(p);
         if (waited != WAIT_OBJECT_0) Fail(L"timed out waiting for process " + a[1]);
         Print(L"exit " + std::to_wstring(code));
     }},
    {L"handles PID", // Prints "handles N", the process's count of open handles.
     [](const Args& a) {
         const DWORD pid = a.Int(1);
         const HANDLE p = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
         if (!p) Fail(L"OpenProcess failed for process " + a[1]);
         DWORD count = 0;
         const BOOL ok = GetProcessHandleCount(p, &count);
         CloseHandle(p);
         if (!ok) Fail(L"GetProcessHandleCount failed");
         // Wine answers 0 for every process; its system handle list is right.
         Print(L"handles " + std::to_wstring(count ? count : HandlesInSystemList(pid)));
     }},
    {L"hold FILE TIME", // Opens FILE sharing nothing for TIME, as a locker; prints "held".
     [](const Args& a) {
         const HANDLE file =
             CreateFileW(a[1].c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
         if (file == INVALID_HANDLE_VALUE) Fail(L"cannot open " + a[1]);
         Print(L"held");
         Sleep(a.Int(2));
         CloseHandle(file);
     }},
};

} // namespace

const std::span<const Command> driver::kProcessCommands = kCommands;

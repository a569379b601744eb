// The power and session calls of the system.
#include "actions/Power.h"

#include "base/WinText.h"

#include <windows.h>

namespace keyvane {
namespace {

class WindowsPowerPlatform : public PowerPlatform {
  public:
    std::optional<std::uint32_t> QueryPlatformId() override {
        OSVERSIONINFOW info{};
        info.dwOSVersionInfoSize = sizeof info;
        if (!::GetVersionExW(&info)) return std::nullopt;
        return info.dwPlatformId;
    }

    std::optional<Token> OpenProcessToken() override {
        HANDLE token = nullptr;
        if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY,
                                &token))
            return std::nullopt;
        return reinterpret_cast<Token>(token);
    }

    void CloseToken(Token token) override { ::CloseHandle(reinterpret_cast<HANDLE>(token)); }

    std::optional<std::uint64_t> LookupShutdownPrivilege() override {
        LUID luid{};
        if (!::LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &luid)) return std::nullopt;
        return (std::uint64_t(std::uint32_t(luid.HighPart)) << 32) | luid.LowPart;
    }

    bool AdjustTokenPrivileges(Token token, std::uint64_t luid, bool keepPreviousState) override {
        TOKEN_PRIVILEGES wanted{};
        wanted.PrivilegeCount = 1;
        wanted.Privileges[0].Luid.LowPart = DWORD(luid);
        wanted.Privileges[0].Luid.HighPart = LONG(luid >> 32);
        wanted.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
        TOKEN_PRIVILEGES previous{};
        DWORD returned = 0;
        // The caller judges the call by the last error, so a code left over
        // from an earlier call must not count against it.
        ::SetLastError(ERROR_SUCCESS);
        BOOL ok = keepPreviousState
                      ? ::AdjustTokenPrivileges(reinterpret_cast<HANDLE>(token), FALSE, &wanted,
                                                sizeof previous, &previous, &returned)
                      : ::AdjustTokenPrivileges(reinterpret_cast<HANDLE>(token), FALSE, &wanted, 0,
                                                nullptr, &returned);
        lastError_ = ::GetLastError();
        return ok != FALSE;
    }

    std::uint32_t LastError() override { return lastError_; }

    void ShowExitError(const std::u16string& title) override {
        // No owner: the main window stays usable while the box is open.
        ::MessageBoxW(nullptr, L"Exit Error", W(title), MB_OK);
    }

    void ExitSession(std::uint32_t flags) override { ::ExitWindowsEx(flags, 0); }

    void SetSystemPowerState(bool suspend, bool force) override {
        // The system takes any nonzero value as true; all bits set, as ever.
        ::SetSystemPowerState(suspend ? -1 : 0, force ? -1 : 0);
    }

  private:
    DWORD lastError_ = ERROR_SUCCESS;
};

} // namespace

PowerPlatform& SystemPowerPlatform() {
    static WindowsPowerPlatform platform;
    return platform;
}

} // namespace keyvane

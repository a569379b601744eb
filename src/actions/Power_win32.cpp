// The power and session calls of the system.
#include "actions/Power.h"

#include "base/AppInfo.h"
#include "base/SystemLibrary.h"
#include "base/WinText.h"

#include <windows.h>
#include <powrprof.h>

#include <cstddef>

namespace keyvane {
namespace {

static_assert(kPlannedShutdownReason == (SHTDN_REASON_MAJOR_OTHER | SHTDN_REASON_FLAG_PLANNED));

// powrprof is no known DLL: loaded from the system folder on first use, so a
// file of that name beside the program is never loaded.
template <class Function> Function* PowerFunction(const char* name) {
    return SystemFunction<Function>(L"powrprof.dll", name);
}

// AoAc (S0 low-power idle) is the byte before DiskSpinDown; headers that
// predate it call the bytes after FastSystemS4 spare.
constexpr std::size_t kAoAcOffset = 0x14;
static_assert(offsetof(SYSTEM_POWER_CAPABILITIES, DiskSpinDown) == kAoAcOffset + 1 &&
              sizeof(SYSTEM_POWER_CAPABILITIES) == 0x4C);

bool LowPowerIdle(const SYSTEM_POWER_CAPABILITIES& capabilities) {
    return reinterpret_cast<const BYTE*>(&capabilities)[kAoAcOffset] != 0;
}

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

    void ShowPowerFailure(const std::u16string& text) override {
        const std::u16string title(kApplicationTitle);
        ::MessageBoxW(nullptr, W(text), W(title), MB_OK);
    }

    std::optional<PowerCapabilities> QueryPowerCapabilities() override {
        static const auto query =
            PowerFunction<decltype(::GetPwrCapabilities)>("GetPwrCapabilities");
        SYSTEM_POWER_CAPABILITIES capabilities{};
        if (!query || !query(&capabilities)) return std::nullopt;
        return PowerCapabilities{capabilities.SystemS3 != FALSE, capabilities.SystemS4 != FALSE,
                                 capabilities.HiberFilePresent != FALSE,
                                 LowPowerIdle(capabilities)};
    }

    Failure ExitSession(std::uint32_t flags, std::uint32_t reason) override {
        if (::ExitWindowsEx(flags, reason)) return std::nullopt;
        return ::GetLastError();
    }

    Failure SetSuspendState(bool hibernate, bool force, bool wakeEventsDisabled) override {
        static const auto suspend = PowerFunction<decltype(::SetSuspendState)>("SetSuspendState");
        if (!suspend) return ERROR_MOD_NOT_FOUND;
        if (suspend(hibernate, force, wakeEventsDisabled)) return std::nullopt;
        return ::GetLastError();
    }

    void TurnDisplayOff() override {
        // Any input turns the display on again, the release of the hotkey's
        // own keys too: wait for them (a second at most) first.
        for (int waited = 0; waited < 1000; waited += 20) {
            bool held = false;
            for (int key = VK_BACK; key <= VK_OEM_CLEAR && !held; ++key)
                held = (::GetAsyncKeyState(key) & 0x8000) != 0;
            if (!held) break;
            ::Sleep(20);
        }
        // Posted, not sent: a hung window must not hold the hotkey's thread.
        // 2 is "off"; any top-level window's default handling does it.
        ::PostMessageW(HWND_BROADCAST, WM_SYSCOMMAND, SC_MONITORPOWER, 2);
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

// Power off, reboot, hibernate, stand by and log off. The order of the
// privilege steps, which failure shows which box and which one ends the
// request silently live here, against PowerPlatform, so they are tested with a
// fake; Power_win32.cpp makes the real calls.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace keyvane {

// Shutdown flags of the session request (the system's EWX_ values).
inline constexpr std::uint32_t kExitLogOff = 0x00;
inline constexpr std::uint32_t kExitReboot = 0x02;
inline constexpr std::uint32_t kExitForce = 0x04;
inline constexpr std::uint32_t kExitPowerOff = 0x08;

// The system calls the power operations need. A token is an opaque handle the
// platform hands out; every token that OpenProcessToken returned is given back
// to CloseToken exactly once.
class PowerPlatform {
  public:
    using Token = std::uintptr_t;

    virtual ~PowerPlatform() = default;

    // The version query's platform identifier; nullopt when the query fails.
    virtual std::optional<std::uint32_t> QueryPlatformId() = 0;

    // Opens this process's token for adjusting and querying privileges.
    virtual std::optional<Token> OpenProcessToken() = 0;
    virtual void CloseToken(Token token) = 0;

    // The local identifier of the shutdown privilege; nullopt on failure.
    virtual std::optional<std::uint64_t> LookupShutdownPrivilege() = 0;

    // Enables the privilege luid in token. keepPreviousState asks for the
    // previous state in a 16-byte buffer (power off and reboot do, the power
    // state changes do not). Returns the call's own result; LastError() then
    // holds the thread's last error code as the call left it.
    virtual bool AdjustTokenPrivileges(Token token, std::uint64_t luid, bool keepPreviousState) = 0;
    virtual std::uint32_t LastError() = 0;

    // A modal box without owner: this title, the body "Exit Error", OK.
    virtual void ShowExitError(const std::u16string& title) = 0;

    // The requests; their results are not used.
    virtual void ExitSession(std::uint32_t flags) = 0;
    virtual void SetSystemPowerState(bool suspend, bool force) = 0;
};

// "Win32s", "Windows 95", "Windows NT", or empty when the query fails or the
// identifier is unknown.
std::u16string GetPlatformName(PowerPlatform& platform);

void PowerOffComputer(PowerPlatform& platform);
void RebootComputer(PowerPlatform& platform);
void HibernateComputer(PowerPlatform& platform);
void StandByComputer(PowerPlatform& platform);
void LogOffComputer(PowerPlatform& platform);

// The system's power services. Defined by the Windows build only.
PowerPlatform& SystemPowerPlatform();

} // namespace keyvane

// Power off, reboot, hibernate, stand by and log off. The order of the
// privilege steps, whether the computer has the power state asked for, which
// failure shows which box and which one ends the request silently live here,
// against PowerPlatform, so they are tested with a fake; Power_win32.cpp
// makes the real calls.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace keyvane {

// Shutdown flags of the session request (the system's EWX_ values).
inline constexpr std::uint32_t kExitLogOff = 0x00;
inline constexpr std::uint32_t kExitReboot = 0x02;
inline constexpr std::uint32_t kExitForce = 0x04;
inline constexpr std::uint32_t kExitForceIfHung = 0x10;
inline constexpr std::uint32_t kExitPowerOff = 0x08;

// The reason every session request gives: other, planned (the system's
// SHTDN_REASON_MAJOR_OTHER | SHTDN_REASON_FLAG_PLANNED). A zero reason would
// be logged as an unplanned shutdown.
inline constexpr std::uint32_t kPlannedShutdownReason = 0x80000000;

// The sleep states the system reports it can enter.
struct PowerCapabilities {
    bool standBy = false;         // sleep state S3
    bool hibernate = false;       // sleep state S4
    bool hibernateFileOn = false; // the hibernation file exists (hibernation is switched on)
    bool lowPowerIdle = false;    // modern standby (S0 low-power idle), which has no S3
};

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
    // A modal box without owner: the application title, this text, OK.
    virtual void ShowPowerFailure(const std::u16string& text) = 0;

    // The sleep states the system has; nullopt when it cannot tell.
    virtual std::optional<PowerCapabilities> QueryPowerCapabilities() = 0;

    // The requests. Each returns the system's error code when it failed,
    // nothing when the system took it.
    using Failure = std::optional<std::uint32_t>;
    virtual Failure ExitSession(std::uint32_t flags, std::uint32_t reason) = 0;
    virtual Failure SetSuspendState(bool hibernate, bool force, bool wakeEventsDisabled) = 0;
    // Turns the display off, as the machine itself does when it goes idle.
    virtual void TurnDisplayOff() = 0;
};

// "Win32s", "Windows 95", "Windows NT", or empty when the query fails or the
// identifier is unknown.
std::u16string GetPlatformName(PowerPlatform& platform);

// Each tells the user in one box when the system refuses the request, with
// the system's reason; hibernate and stand by also when the computer lacks
// the state. Stand by on a machine with modern standby only turns the
// display off: that machine then sleeps by itself, as it does when idle.
// Power off and reboot let each program answer first (a hung one is ended).
// beforeRequest runs just before the session request goes to the system,
// once nothing else can stop it: what the program keeps is written then. An
// exception from it ends the operation without a request.
void PowerOffComputer(PowerPlatform& platform, const std::function<void()>& beforeRequest = {});
void RebootComputer(PowerPlatform& platform, const std::function<void()>& beforeRequest = {});
void HibernateComputer(PowerPlatform& platform);
void StandByComputer(PowerPlatform& platform);
void LogOffComputer(PowerPlatform& platform, const std::function<void()>& beforeRequest = {});

// The system's power services. Defined by the Windows build only.
PowerPlatform& SystemPowerPlatform();

} // namespace keyvane

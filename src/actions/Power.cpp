// Step logic of the power and session operations; see Power.h.
#include "actions/Power.h"

namespace keyvane {

namespace {

constexpr std::u16string_view kNtFamily = u"Windows NT";

// Closes the token on every road out of an operation.
class TokenGuard {
  public:
    TokenGuard(PowerPlatform& platform, PowerPlatform::Token token)
        : platform_(platform), token_(token) {}
    ~TokenGuard() { platform_.CloseToken(token_); }
    TokenGuard(const TokenGuard&) = delete;
    TokenGuard& operator=(const TokenGuard&) = delete;

  private:
    PowerPlatform& platform_;
    PowerPlatform::Token token_;
};

// Enables the shutdown privilege for a forced exit, telling the user which
// step failed. Returns false when the exit request must not be sent.
bool EnableShutdownPrivilegeOrSay(PowerPlatform& platform) {
    auto token = platform.OpenProcessToken();
    if (!token) {
        platform.ShowExitError(u"OpenProcessToken() Failed");
        return false;
    }
    TokenGuard guard(platform, *token);
    auto luid = platform.LookupShutdownPrivilege();
    if (!luid) {
        platform.ShowExitError(u"LookupPrivilegeValue() Failed");
        return false;
    }
    // The call can succeed without assigning the privilege; only the last
    // error tells (ERROR_NOT_ALL_ASSIGNED), so that is what decides. A false
    // result counts as failure too, whatever the last error says.
    bool called = platform.AdjustTokenPrivileges(*token, *luid, true);
    if (platform.LastError() != 0 || !called) {
        platform.ShowExitError(u"AdjustTokenPrivileges() Failed");
        return false;
    }
    return true;
}

void ExitWithPrivilege(PowerPlatform& platform, std::uint32_t flags) {
    // Only the NT family knows privileges; the others take the request as is.
    if (GetPlatformName(platform).starts_with(kNtFamily) && !EnableShutdownPrivilegeOrSay(platform))
        return;
    platform.ExitSession(flags);
}

void ChangePowerState(PowerPlatform& platform, bool suspend, bool force) {
    auto token = platform.OpenProcessToken();
    if (!token) return;
    TokenGuard guard(platform, *token);
    // The lookup's result is not examined: with an empty identifier nothing
    // is enabled, and the system refuses the request by itself.
    std::uint64_t luid = platform.LookupShutdownPrivilege().value_or(0);
    if (!platform.AdjustTokenPrivileges(*token, luid, false)) return;
    platform.SetSystemPowerState(suspend, force);
}

} // namespace

std::u16string GetPlatformName(PowerPlatform& platform) {
    auto id = platform.QueryPlatformId();
    if (!id) return {};
    switch (*id) {
    case 0:
        return u"Win32s";
    case 1:
        return u"Windows 95";
    case 2:
        return u"Windows NT";
    default:
        return {};
    }
}

void PowerOffComputer(PowerPlatform& platform) {
    ExitWithPrivilege(platform, kExitPowerOff | kExitForce);
}

void RebootComputer(PowerPlatform& platform) {
    ExitWithPrivilege(platform, kExitReboot | kExitForce);
}

void HibernateComputer(PowerPlatform& platform) {
    ChangePowerState(platform, false, true);
}

void StandByComputer(PowerPlatform& platform) {
    ChangePowerState(platform, true, false);
}

void LogOffComputer(PowerPlatform& platform) {
    platform.ExitSession(kExitLogOff);
}

} // namespace keyvane

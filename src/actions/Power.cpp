// Step logic of the power and session operations; see Power.h.
#include "actions/Power.h"

#include "base/AppInfo.h"
#include "base/Errors.h"
#include "base/Text.h"

namespace keyvane {

namespace {

constexpr std::u16string_view kNtFamily = u"Windows NT";

enum class SleepState { StandBy, Hibernate };

// "<what> failed: <the system's reason>", or "<what> failed." when the
// system gave none.
void TellFailure(PowerPlatform& platform, std::string_view what, PowerPlatform::Failure error) {
    if (!error) return;
    std::string text = std::string(what) + " failed";
    text += *error == 0 ? std::string(".") : std::string(": ").append(SystemErrorText(*error));
    platform.ShowPowerFailure(FromUtf8(text));
}

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

void ExitWithPrivilege(PowerPlatform& platform, std::uint32_t flags, std::string_view what,
                       const std::function<void()>& beforeRequest) {
    // Only the NT family knows privileges; the others take the request as is.
    if (GetPlatformName(platform).starts_with(kNtFamily) && !EnableShutdownPrivilegeOrSay(platform))
        return;
    if (beforeRequest) beforeRequest();
    TellFailure(platform, what, platform.ExitSession(flags, kPlannedShutdownReason));
}

// Why the computer cannot enter the state, or empty when it can. Stand-by
// is missing on machines that only have the modern, always-connected
// standby (they are handled before); hibernation is often switched off,
// which removes the file.
std::u16string MissingStateText(SleepState state, const PowerCapabilities& capabilities) {
    if (state == SleepState::StandBy)
        return capabilities.standBy ? u"" : std::u16string(kNoStandByText);
    if (!capabilities.hibernate) return std::u16string(kNoHibernateText);
    if (!capabilities.hibernateFileOn) return std::u16string(kHibernateOffText);
    return u"";
}

void EnterSleepState(PowerPlatform& platform, SleepState state) {
    // A computer that cannot tell is asked all the same; the request then
    // says whether it could.
    if (const auto capabilities = platform.QueryPowerCapabilities()) {
        // Without S3 the suspend request fails; a modern-standby machine
        // enters its low-power idle once the display is off and nothing runs.
        if (state == SleepState::StandBy && !capabilities->standBy && capabilities->lowPowerIdle)
            return platform.TurnDisplayOff();
        const std::u16string missing = MissingStateText(state, *capabilities);
        if (!missing.empty()) return platform.ShowPowerFailure(missing);
    }
    const bool hibernate = state == SleepState::Hibernate;
    PowerPlatform::Failure error;
    {
        auto token = platform.OpenProcessToken();
        if (!token) return;
        TokenGuard guard(platform, *token);
        // The lookup's result is not examined: with an empty identifier
        // nothing is enabled, and the system refuses the request by itself.
        std::uint64_t luid = platform.LookupShutdownPrivilege().value_or(0);
        if (!platform.AdjustTokenPrivileges(*token, luid, false)) return;
        // Forced for hibernation as it always was; the system ignores the flag.
        error = platform.SetSuspendState(hibernate, hibernate, false);
    }
    // The box waits for the user: the token is closed first.
    TellFailure(platform, hibernate ? "Hibernate" : "Stand by", error);
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

// Not forced: each program is asked and may keep its unsaved work; only one
// that does not answer is ended.
void PowerOffComputer(PowerPlatform& platform, const std::function<void()>& beforeRequest) {
    ExitWithPrivilege(platform, kExitPowerOff | kExitForceIfHung, "Power off", beforeRequest);
}

void RebootComputer(PowerPlatform& platform, const std::function<void()>& beforeRequest) {
    ExitWithPrivilege(platform, kExitReboot | kExitForceIfHung, "Reboot", beforeRequest);
}

void HibernateComputer(PowerPlatform& platform) {
    EnterSleepState(platform, SleepState::Hibernate);
}

void StandByComputer(PowerPlatform& platform) {
    EnterSleepState(platform, SleepState::StandBy);
}

void LogOffComputer(PowerPlatform& platform, const std::function<void()>& beforeRequest) {
    if (beforeRequest) beforeRequest();
    TellFailure(platform, "Log off", platform.ExitSession(kExitLogOff, kPlannedShutdownReason));
}

} // namespace keyvane

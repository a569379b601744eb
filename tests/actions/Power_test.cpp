// The power operations' step order against a fake that records every call.
#include "actions/Power.h"
#include "base/Errors.h"
#include "base/Text.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace keyvane {
namespace {

std::string Narrow(const std::u16string& s) {
    return std::string(s.begin(), s.end());
}

// Records each call as one line; the knobs say which steps fail.
class FakePowerPlatform : public PowerPlatform {
  public:
    std::optional<std::uint32_t> platformId = 2;
    bool tokenOpens = true;
    bool lookupSucceeds = true;
    bool adjustReturns = true;
    std::uint32_t errorAfterAdjust = 0;
    std::optional<PowerCapabilities> capabilities = PowerCapabilities{true, true, true};
    Failure requestError; // what both requests answer

    std::vector<std::string> calls;
    int openTokens = 0;

    std::optional<std::uint32_t> QueryPlatformId() override {
        calls.push_back("version");
        return platformId;
    }
    std::optional<Token> OpenProcessToken() override {
        calls.push_back("open token");
        if (!tokenOpens) return std::nullopt;
        ++openTokens;
        return Token{77};
    }
    void CloseToken(Token token) override {
        calls.push_back("close token " + std::to_string(token));
        --openTokens;
    }
    std::optional<std::uint64_t> LookupShutdownPrivilege() override {
        calls.push_back("lookup");
        if (!lookupSucceeds) return std::nullopt;
        return 0x13;
    }
    bool AdjustTokenPrivileges(Token token, std::uint64_t luid, bool keepPreviousState) override {
        calls.push_back("adjust " + std::to_string(token) + " luid " + std::to_string(luid) +
                        (keepPreviousState ? " with previous" : " without previous"));
        lastError_ = errorAfterAdjust;
        return adjustReturns;
    }
    std::uint32_t LastError() override { return lastError_; }
    void ShowExitError(const std::u16string& title) override {
        calls.push_back("box " + Narrow(title));
    }
    void ShowPowerFailure(const std::u16string& text) override {
        calls.push_back("tell " + ToUtf8(text));
    }
    std::optional<PowerCapabilities> QueryPowerCapabilities() override {
        calls.push_back("capabilities");
        return capabilities;
    }
    Failure ExitSession(std::uint32_t flags, std::uint32_t reason) override {
        char text[48];
        std::snprintf(text, sizeof text, "exit %u reason 0x%08X", unsigned(flags),
                      unsigned(reason));
        calls.push_back(text);
        return requestError;
    }
    Failure SetSuspendState(bool hibernate, bool force, bool wakeEventsDisabled) override {
        calls.push_back(std::string("suspend hibernate=") + (hibernate ? "1" : "0") + " force=" +
                        (force ? "1" : "0") + " wake-off=" + (wakeEventsDisabled ? "1" : "0"));
        return requestError;
    }
    void TurnDisplayOff() override { calls.push_back("display off"); }

  private:
    std::uint32_t lastError_ = 0;
};

TEST(GetPlatformName, MapsEachIdentifier) {
    struct Case {
        std::optional<std::uint32_t> id;
        std::u16string name;
    } cases[] = {
        {0, u"Win32s"}, {1, u"Windows 95"}, {2, u"Windows NT"}, {3, u""}, {std::nullopt, u""},
    };
    for (const auto& c : cases) {
        FakePowerPlatform platform;
        platform.platformId = c.id;
        EXPECT_EQ(GetPlatformName(platform), c.name) << (c.id ? int(*c.id) : -1);
    }
}

using ExitOperation = void (*)(PowerPlatform&);

// The session operations without anything to save first.
void PowerOff(PowerPlatform& platform) {
    PowerOffComputer(platform);
}
void Reboot(PowerPlatform& platform) {
    RebootComputer(platform);
}
void LogOff(PowerPlatform& platform) {
    LogOffComputer(platform);
}

struct ExitCase {
    const char* what;
    ExitOperation operation;
    std::string request;
};

// Every program is asked first and only a hung one ended (EWX_FORCEIFHUNG,
// never EWX_FORCE), with a planned reason.
const ExitCase kSessionExits[] = {
    {"power off", PowerOff, "exit 24 reason 0x80000000"},
    {"reboot", Reboot, "exit 18 reason 0x80000000"},
};

TEST(PowerOffAndReboot, NtFamilyEnablesPrivilegeThenAsksTheSystem) {
    for (const auto& op : kSessionExits) {
        FakePowerPlatform platform;
        op.operation(platform);
        std::vector<std::string> expected = {"version",        "open token",
                                             "lookup",         "adjust 77 luid 19 with previous",
                                             "close token 77", op.request};
        EXPECT_EQ(platform.calls, expected) << op.what;
    }
}

TEST(PowerOffAndReboot, OtherPlatformsSendRequestWithoutPrivilegeSteps) {
    // 0 Win32s, 1 Windows 95, unknown identifier, failed version query.
    const std::optional<std::uint32_t> ids[] = {0, 1, 7, std::nullopt};
    for (const auto& op : kSessionExits) {
        for (auto id : ids) {
            FakePowerPlatform platform;
            platform.platformId = id;
            op.operation(platform);
            std::vector<std::string> expected = {"version", op.request};
            EXPECT_EQ(platform.calls, expected) << op.what << " id " << (id ? int(*id) : -1);
        }
    }
}

TEST(PowerOffAndReboot, EachFailedPrivilegeStepShowsItsBoxAndSendsNothing) {
    struct Failure {
        const char* what;
        void (*arrange)(FakePowerPlatform&);
        std::vector<std::string> expected;
    } failures[] = {
        {"token",
         [](FakePowerPlatform& p) { p.tokenOpens = false; },
         {"version", "open token", "box OpenProcessToken() Failed"}},
        {"lookup",
         [](FakePowerPlatform& p) { p.lookupSucceeds = false; },
         {"version", "open token", "lookup", "box LookupPrivilegeValue() Failed",
          "close token 77"}},
        // Success with ERROR_NOT_ALL_ASSIGNED: the privilege was not granted.
        {"adjust not all assigned",
         [](FakePowerPlatform& p) { p.errorAfterAdjust = 1300; },
         {"version", "open token", "lookup", "adjust 77 luid 19 with previous",
          "box AdjustTokenPrivileges() Failed", "close token 77"}},
        {"adjust returns false",
         [](FakePowerPlatform& p) { p.adjustReturns = false; },
         {"version", "open token", "lookup", "adjust 77 luid 19 with previous",
          "box AdjustTokenPrivileges() Failed", "close token 77"}},
    };
    for (const auto& op : kSessionExits) {
        for (const auto& f : failures) {
            FakePowerPlatform platform;
            f.arrange(platform);
            op.operation(platform);
            EXPECT_EQ(platform.calls, f.expected) << op.what << ", " << f.what;
            EXPECT_EQ(platform.openTokens, 0) << op.what << ", " << f.what;
        }
    }
}

struct PowerStateCase {
    const char* what;
    ExitOperation operation;
    std::string request;
};

const std::string kHibernateRequest = "suspend hibernate=1 force=1 wake-off=0";
const std::string kStandByRequest = "suspend hibernate=0 force=0 wake-off=0";

const PowerStateCase kPowerStates[] = {
    {"hibernate", HibernateComputer, kHibernateRequest},
    {"stand by", StandByComputer, kStandByRequest},
};

TEST(HibernateAndStandBy, EnablePrivilegeWithoutPlatformTestThenRequest) {
    for (const auto& op : kPowerStates) {
        FakePowerPlatform platform;
        platform.platformId = 1; // not consulted
        op.operation(platform);
        std::vector<std::string> expected = {"capabilities", "open token",
                                             "lookup",       "adjust 77 luid 19 without previous",
                                             op.request,     "close token 77"};
        EXPECT_EQ(platform.calls, expected) << op.what;
    }
}

TEST(HibernateAndStandBy, FailuresEndSilently) {
    for (const auto& op : kPowerStates) {
        FakePowerPlatform noToken;
        noToken.tokenOpens = false;
        op.operation(noToken);
        EXPECT_EQ(noToken.calls, (std::vector<std::string>{"capabilities", "open token"}))
            << op.what;

        FakePowerPlatform refused;
        refused.adjustReturns = false;
        refused.errorAfterAdjust = 5;
        op.operation(refused);
        std::vector<std::string> expected = {"capabilities", "open token", "lookup",
                                             "adjust 77 luid 19 without previous",
                                             "close token 77"};
        EXPECT_EQ(refused.calls, expected) << op.what;
    }
}

TEST(HibernateAndStandBy, RequestOnlyAStateTheComputerHas) {
    const std::string noStandBy =
        "tell Stand by is not possible: this computer has no stand-by sleep state (S3).";
    const std::string noHibernate =
        "tell Hibernate is not possible: this computer has no hibernation state (S4).";
    const std::string switchedOff =
        "tell Hibernate is not possible: hibernation is switched off on this computer.";
    struct Case {
        const char* what;
        ExitOperation operation;
        std::optional<PowerCapabilities> capabilities; // S3, S4, hibernation file, S0 idle
        std::string outcome; // the box, the display off, or the request sent
    } cases[] = {
        {"neither S3 nor modern standby", StandByComputer, PowerCapabilities{false, true, true},
         noStandBy},
        {"modern standby only", StandByComputer, PowerCapabilities{false, true, true, true},
         "display off"},
        {"S3 beside modern standby", StandByComputer, PowerCapabilities{true, false, false, true},
         kStandByRequest},
        {"hibernate on modern standby", HibernateComputer,
         PowerCapabilities{false, true, true, true}, kHibernateRequest},
        {"no S4", HibernateComputer, PowerCapabilities{true, false, false}, noHibernate},
        {"hibernation off", HibernateComputer, PowerCapabilities{true, true, false}, switchedOff},
        {"stand by without S4", StandByComputer, PowerCapabilities{true, false, false},
         kStandByRequest},
        {"hibernate without S3", HibernateComputer, PowerCapabilities{false, true, true},
         kHibernateRequest},
        // A computer that cannot tell is asked all the same.
        {"stand by, unknown", StandByComputer, std::nullopt, kStandByRequest},
        {"hibernate, unknown", HibernateComputer, std::nullopt, kHibernateRequest},
    };
    for (const Case& c : cases) {
        FakePowerPlatform platform;
        platform.capabilities = c.capabilities;
        c.operation(platform);
        if (c.outcome.starts_with("tell ") || c.outcome == "display off") {
            EXPECT_EQ(platform.calls, (std::vector<std::string>{"capabilities", c.outcome}))
                << c.what;
        } else {
            ASSERT_EQ(platform.calls.size(), 6u) << c.what;
            EXPECT_EQ(platform.calls[4], c.outcome) << c.what;
        }
    }
}

TEST(PowerRequests, RefusalTellsWhichRequestAndTheSystemsReason) {
    struct Case {
        ExitOperation operation;
        std::string name;
    } cases[] = {
        {PowerOff, "Power off"},       {Reboot, "Reboot"},
        {LogOff, "Log off"},           {HibernateComputer, "Hibernate"},
        {StandByComputer, "Stand by"},
    };
    for (const Case& c : cases) {
        for (std::uint32_t code : {5u, 0u}) {
            FakePowerPlatform platform;
            platform.requestError = code;
            c.operation(platform);
            const std::string reason = code == 0 ? "." : ": " + SystemErrorText(code);
            ASSERT_FALSE(platform.calls.empty());
            EXPECT_EQ(platform.calls.back(), "tell " + c.name + " failed" + reason) << c.name;
            EXPECT_EQ(platform.openTokens, 0) << c.name;
        }
    }
}

TEST(HibernateAndStandBy, LookupFailureAndNotAllAssignedStillSendRequest) {
    // Only the adjustment's own result decides; the system then refuses a
    // request made without the privilege by itself.
    for (const auto& op : kPowerStates) {
        FakePowerPlatform platform;
        platform.lookupSucceeds = false;
        platform.errorAfterAdjust = 1300;
        op.operation(platform);
        std::vector<std::string> expected = {"capabilities", "open token",
                                             "lookup",       "adjust 77 luid 0 without previous",
                                             op.request,     "close token 77"};
        EXPECT_EQ(platform.calls, expected) << op.what;
    }
}

TEST(LogOffComputer, SendsUnforcedLogOffOnly) {
    FakePowerPlatform platform;
    platform.tokenOpens = false;
    LogOffComputer(platform);
    EXPECT_EQ(platform.calls, std::vector<std::string>{"exit 0 reason 0x80000000"});
}

TEST(SessionRequests, SaveRunsJustBeforeTheRequestAndAFailedSaveSendsNone) {
    using Operation = void (*)(PowerPlatform&, const std::function<void()>&);
    struct Case {
        const char* what;
        Operation operation;
        bool privilegeFails;
        bool saveThrows;
        std::vector<std::string> tail; // the calls from the last privilege step on
    } cases[] = {
        {"power off",
         PowerOffComputer,
         false,
         false,
         {"close token 77", "save", "exit 24 reason 0x80000000"}},
        {"reboot",
         RebootComputer,
         false,
         false,
         {"close token 77", "save", "exit 18 reason 0x80000000"}},
        {"log off", LogOffComputer, false, false, {"save", "exit 0 reason 0x80000000"}},
        // Nothing is saved for a request that is not sent.
        {"power off, privilege refused",
         PowerOffComputer,
         true,
         false,
         {"box AdjustTokenPrivileges() Failed", "close token 77"}},
        {"reboot, save fails", RebootComputer, false, true, {"close token 77", "save"}},
        {"log off, save fails", LogOffComputer, false, true, {"save"}},
    };
    for (const Case& c : cases) {
        FakePowerPlatform platform;
        platform.adjustReturns = !c.privilegeFails;
        const auto save = [&] {
            platform.calls.push_back("save");
            if (c.saveThrows) throw std::runtime_error("disk full");
        };
        if (c.saveThrows)
            EXPECT_THROW(c.operation(platform, save), std::runtime_error) << c.what;
        else
            c.operation(platform, save);
        ASSERT_GE(platform.calls.size(), c.tail.size()) << c.what;
        EXPECT_EQ(std::vector<std::string>(platform.calls.end() - std::ptrdiff_t(c.tail.size()),
                                           platform.calls.end()),
                  c.tail)
            << c.what;
        EXPECT_EQ(platform.openTokens, 0) << c.what;
    }
}

} // namespace
} // namespace keyvane

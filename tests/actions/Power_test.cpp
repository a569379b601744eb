// The power operations' step order against a fake that records every call.
#include "actions/Power.h"

#include <gtest/gtest.h>

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
    void ExitSession(std::uint32_t flags) override {
        calls.push_back("exit " + std::to_string(flags));
    }
    void SetSystemPowerState(bool suspend, bool force) override {
        calls.push_back(std::string("power suspend=") + (suspend ? "1" : "0") +
                        " force=" + (force ? "1" : "0"));
    }

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

struct ExitCase {
    const char* what;
    ExitOperation operation;
    std::string request;
};

const ExitCase kForcedExits[] = {
    {"power off", PowerOffComputer, "exit 12"},
    {"reboot", RebootComputer, "exit 6"},
};

TEST(PowerOffAndReboot, NtFamilyEnablesPrivilegeThenSendsForcedRequest) {
    for (const auto& op : kForcedExits) {
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
    for (const auto& op : kForcedExits) {
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
    for (const auto& op : kForcedExits) {
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

const PowerStateCase kPowerStates[] = {
    {"hibernate", HibernateComputer, "power suspend=0 force=1"},
    {"stand by", StandByComputer, "power suspend=1 force=0"},
};

TEST(HibernateAndStandBy, EnablePrivilegeWithoutPlatformTestThenRequest) {
    for (const auto& op : kPowerStates) {
        FakePowerPlatform platform;
        platform.platformId = 1; // not consulted
        op.operation(platform);
        std::vector<std::string> expected = {"open token", "lookup",
                                             "adjust 77 luid 19 without previous", op.request,
                                             "close token 77"};
        EXPECT_EQ(platform.calls, expected) << op.what;
    }
}

TEST(HibernateAndStandBy, FailuresEndSilently) {
    for (const auto& op : kPowerStates) {
        FakePowerPlatform noToken;
        noToken.tokenOpens = false;
        op.operation(noToken);
        EXPECT_EQ(noToken.calls, std::vector<std::string>{"open token"}) << op.what;

        FakePowerPlatform refused;
        refused.adjustReturns = false;
        refused.errorAfterAdjust = 5;
        op.operation(refused);
        std::vector<std::string> expected = {
            "open token", "lookup", "adjust 77 luid 19 without previous", "close token 77"};
        EXPECT_EQ(refused.calls, expected) << op.what;
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
        std::vector<std::string> expected = {"open token", "lookup",
                                             "adjust 77 luid 0 without previous", op.request,
                                             "close token 77"};
        EXPECT_EQ(platform.calls, expected) << op.what;
    }
}

TEST(LogOffComputer, SendsUnforcedLogOffOnly) {
    FakePowerPlatform platform;
    platform.tokenOpens = false;
    LogOffComputer(platform);
    EXPECT_EQ(platform.calls, std::vector<std::string>{"exit 0"});
}

} // namespace
} // namespace keyvane

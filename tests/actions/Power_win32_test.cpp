// The real privilege calls behave as the power step logic expects of them.
// Nothing here asks the system to shut down or change its power state.
#include "actions/CdTray.h"
#include "actions/Power.h"

#include <gtest/gtest.h>

#include <cstdio>

#include <windows.h>

namespace keyvane {
namespace {

// The flags go to ExitWindowsEx as they are.
static_assert(kExitLogOff == EWX_LOGOFF && kExitReboot == EWX_REBOOT && kExitForce == EWX_FORCE &&
              kExitForceIfHung == EWX_FORCEIFHUNG && kExitPowerOff == EWX_POWEROFF);

TEST(SystemPowerPlatform, IsTheNtFamily) {
    EXPECT_EQ(GetPlatformName(SystemPowerPlatform()), u"Windows NT");
}

TEST(SystemPowerPlatform, EnablingShutdownPrivilegeLeavesNoError) {
    PowerPlatform& platform = SystemPowerPlatform();
    auto token = platform.OpenProcessToken();
    ASSERT_TRUE(token);
    auto luid = platform.LookupShutdownPrivilege();
    ASSERT_TRUE(luid);
    EXPECT_NE(*luid, 0u);
    for (bool keepPrevious : {true, false}) {
        EXPECT_TRUE(platform.AdjustTokenPrivileges(*token, *luid, keepPrevious));
        EXPECT_EQ(platform.LastError(), 0u) << keepPrevious;
    }
    platform.CloseToken(*token);
}

TEST(SystemPowerPlatform, ReadsTheSleepStatesFromTheSystemFolder) {
    // powrprof is loaded by hand; a failed load would read as "cannot tell".
    const auto capabilities = SystemPowerPlatform().QueryPowerCapabilities();
    ASSERT_TRUE(capabilities);
    std::printf("S3 %d, S4 %d, hibernation file %d\n", capabilities->standBy,
                capabilities->hibernate, capabilities->hibernateFileOn);
}

TEST(SystemCdTray, OpenFailsForDriveThatIsNoCd) {
    // A drive letter far past any CD drive the test machines have.
    EXPECT_FALSE(SystemCdTray().OpenDevice(u"q:"));
}

} // namespace
} // namespace keyvane

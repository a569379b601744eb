// What a start does given the folder's mutex and its lock file.
#include "app/InstanceClaim.h"

#include <gtest/gtest.h>

namespace keyvane {
namespace {

TEST(DecideStart, OnlyAStartHoldingBothRuns) {
    using M = MutexClaim;
    using L = LockClaim;
    using D = StartDecision;
    const struct {
        MutexClaim mutex;
        LockClaim lock;
        bool tried;
        StartDecision decision;
    } cases[] = {
        {M::Created, L::Taken, true, D::Run},
        {M::Created, L::Held, true, D::Tell}, // another session or an older copy
        {M::Created, L::Failed, true, D::Run},
        {M::Failed, L::Held, true, D::Tell},
        {M::Failed, L::Taken, true, D::Run},
        // The mutex alone tells: a copy that took it may not have its lock yet.
        {M::AlreadyExists, L::Taken, false, D::BringForward},
        {M::AccessDenied, L::Taken, false, D::BringForwardAndTell},
        {M::AccessDenied, L::Failed, false, D::BringForwardAndTell},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NeedsLockFile(c.mutex), c.tried) << int(c.mutex);
        EXPECT_EQ(DecideStart(c.mutex, c.lock), c.decision) << int(c.mutex) << int(c.lock);
    }
}

} // namespace
} // namespace keyvane

#include "app/InstanceClaim.h"

namespace keyvane {

bool NeedsLockFile(MutexClaim mutex) {
    return mutex == MutexClaim::Created || mutex == MutexClaim::Failed;
}

StartDecision DecideStart(MutexClaim mutex, LockClaim lock) {
    switch (mutex) {
    case MutexClaim::AlreadyExists:
        // Its window hears the request: a start that may open the mutex
        // runs at the copy's integrity level or above.
        return StartDecision::BringForward;
    case MutexClaim::AccessDenied:
        // Running all the same; a window of another user may not come.
        return StartDecision::BringForwardAndTell;
    case MutexClaim::Created:
    case MutexClaim::Failed:
        break;
    }
    // A folder that cannot hold the lock cannot hold a saved list either:
    // the start goes on as it always did, and its saves tell.
    return lock == LockClaim::Held ? StartDecision::Tell : StartDecision::Run;
}

} // namespace keyvane

// Whether this start may run: one copy writes a data folder at a time. The
// folder's mutex finds a copy in this session (which can be brought
// forward); the lock file in the data folder, held without sharing for the
// copy's life, finds one of any session and integrity level.
#pragma once

#include <string_view>

namespace keyvane {

enum class MutexClaim {
    Created,       // no copy of this folder in this session
    AlreadyExists, // a copy of this folder runs in this session
    AccessDenied,  // it exists and is not ours to open: a copy runs elevated or as another user
    Failed,        // the system could not make it
};

enum class LockClaim {
    Taken,  // the lock file is ours for the process's life
    Held,   // another process holds it: a copy runs on this folder
    Failed, // the folder cannot hold the file (read-only, say): nothing can be written there
};

enum class StartDecision {
    Run,
    BringForward,        // end in silence: the copy of this session shows itself
    BringForwardAndTell, // ask it to show, and say why this start ends
    Tell,                // say why this start ends
};

// The lock is only tried when the mutex does not already tell.
bool NeedsLockFile(MutexClaim mutex);
StartDecision DecideStart(MutexClaim mutex, LockClaim lock);

inline constexpr std::u16string_view kAlreadyRunningText =
    u"Keyvane is already running from this folder (perhaps as administrator or for another user)";

} // namespace keyvane

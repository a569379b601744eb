// One running copy per folder: two processes on one data folder would
// overwrite each other's tasks. A copy in another folder has its own data
// and may run beside this one.
#pragma once

#include "app/CommandLine.h"

#include <windows.h>

#include <string>

namespace keyvane {

// The key of the executable's folder (letter case ignored), shared by the
// running copy and a second start.
DWORD InstanceKey();

// The message a second start sends, with InstanceKey() as wParam and a
// request (EncodeCommand; 0 shows the main window) as lParam: the running
// copy of the same folder does it and returns its answer (EncodeAnswer).
UINT ShowRunningInstanceMessage();

// Holds the folder's mutex and its lock file (data\keyvane.lock) for the
// process's life. False when another copy of this folder runs: one of this
// session has then been asked to show its main window; of one that cannot
// be (elevated, another user's) the user has been told. Writes nothing
// then, and makes only the data folder.
bool ClaimSingleInstance();

// Sends the request to the copy that runs from this folder and returns the
// exit code for it (reason: why it was not done). A copy that is still
// starting is waited for a few seconds; /exit waits until the copy ended.
int AskRunningCopy(const CommandRequest& request, NotDoneReason& reason);

} // namespace keyvane

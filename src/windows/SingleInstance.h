// One running copy per folder: two processes on one data folder would
// overwrite each other's tasks. A copy in another folder has its own data
// and may run beside this one.
#pragma once

#include <windows.h>

#include <string>

namespace keyvane {

// The key of the executable's folder (letter case ignored), shared by the
// running copy and a second start.
DWORD InstanceKey();

// The message a second start broadcasts, with InstanceKey() as wParam: the
// running copy of the same folder shows its main window.
UINT ShowRunningInstanceMessage();

// Holds the folder's mutex for the process's life. False when another copy
// of this folder runs: it has then been asked to show its main window.
bool ClaimSingleInstance();

} // namespace keyvane

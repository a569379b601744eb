// The action operations as the running program performs them on Windows.
#pragma once

#include "actions/ActionOperations.h"

#include <memory>

namespace keyvane {

// ownerWindow (an HWND, may be null) owns whatever the shell shows while it
// opens a program or address. Windows only (SystemActions_win32.cpp).
// Make one for the program's life: it keeps the minimize-all flag, and the
// shell object it connects is released when it is destroyed, which must be
// before the component-object services end.
std::unique_ptr<ActionOperations> MakeSystemActions(void* ownerWindow = nullptr);

} // namespace keyvane

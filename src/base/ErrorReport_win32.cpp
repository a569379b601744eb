// The error report's message box.
#include "base/ErrorReport.h"

#include "base/AppInfo.h"
#include "base/WinText.h"

#include <windows.h>

namespace keyvane {

void ShowErrorReport(std::u16string_view text) {
    const std::wstring body = ToWide(text);
    const std::wstring caption = ToWide(kApplicationTitle);
    // Owned by whichever of our windows is active (none while the main
    // window is hidden); MessageBoxW runs its own message loop, so hotkeys
    // and posted messages are still handled while the box is open.
    MessageBoxW(GetActiveWindow(), body.c_str(), caption.c_str(), MB_OK | MB_ICONERROR);
}

} // namespace keyvane

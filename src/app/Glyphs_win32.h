// Pictures on the program's push buttons, beside their captions.
#pragma once

#include <windows.h>

namespace keyvane {

// Puts the icon resource on the button at the small-icon size of the
// screen's dpi. The button keeps its caption; a missing icon leaves it bare.
void SetButtonGlyph(HWND button, HINSTANCE instance, int iconId);

} // namespace keyvane

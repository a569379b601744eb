// Sizes and pictures at the screen's dpi: the windows are designed in
// pixels at 96 dpi, and everything drawn by hand scales from there.
#pragma once

#include <windows.h>

namespace keyvane {

// Pixels designed at 96 dpi, at the dpi of the window's screen (null: the
// primary screen).
int ScaleToDpi(HWND window, int pixels);

// Puts the icon resource on the button at the small-icon size of the
// screen's dpi. The button keeps its caption; a missing icon leaves it bare.
void SetButtonGlyph(HWND button, HINSTANCE instance, int iconId);

} // namespace keyvane

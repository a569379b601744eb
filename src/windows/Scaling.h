// Sizes and pictures at the window's dpi: the windows are designed in
// pixels at 96 dpi, and everything drawn by hand scales from there.
#pragma once

#include <windows.h>

namespace keyvane {

// The dpi of the window's screen (GetDpiForWindow, Windows 10 1607 and
// later); the system's dpi before that, or for null.
int WindowDpi(HWND window);

// Pixels designed at 96 dpi, at the dpi of the window's screen (null: the
// system's dpi).
int ScaleToDpi(HWND window, int pixels);

// Puts the icon resource on the button at the small-icon size of the
// window's dpi. The button keeps its caption; a missing icon leaves it bare.
void SetButtonGlyph(HWND button, HINSTANCE instance, int iconId);

// The width a push button needs for its caption and glyph, in pixels at its
// font.
int ButtonWidthForCaption(HWND button);

// Moves the window to the middle of over, kept whole on the work area of
// over's monitor as far as it fits there, its title bar first: a dialog
// centred on a small owner near the screen's edge would open half off it.
void CentreWithinWorkArea(HWND window, const RECT& over);

} // namespace keyvane

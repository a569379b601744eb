#include "app/Glyphs_win32.h"

namespace keyvane {

void SetButtonGlyph(HWND button, HINSTANCE instance, int iconId) {
    if (!button) return;
    HDC dc = GetDC(button);
    const int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
    if (dc) ReleaseDC(button, dc);
    const int size = MulDiv(16, dpi, 96);
    // Shared: the system frees it with the program, and the button keeps
    // using it for as long as it lives.
    auto icon = static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(iconId), IMAGE_ICON, size, size, LR_SHARED));
    if (icon) SendMessageW(button, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
}

} // namespace keyvane

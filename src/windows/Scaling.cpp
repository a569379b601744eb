#include "windows/Scaling.h"

namespace keyvane {

int ScaleToDpi(HWND window, int pixels) {
    HDC dc = GetDC(window);
    const int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
    if (dc) ReleaseDC(window, dc);
    return MulDiv(pixels, dpi, 96);
}

void SetButtonGlyph(HWND button, HINSTANCE instance, int iconId) {
    if (!button) return;
    const int size = ScaleToDpi(button, 16);
    // Shared: the system frees it with the program, and the button keeps
    // using it for as long as it lives.
    auto icon = static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(iconId), IMAGE_ICON, size, size, LR_SHARED));
    if (icon) SendMessageW(button, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
}

} // namespace keyvane

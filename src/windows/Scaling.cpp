#include "windows/Scaling.h"

#include "app/layout/MainLayout.h"

#include <algorithm>
#include <string>

namespace keyvane {

namespace {

int SystemDpi() {
    HDC dc = GetDC(nullptr);
    const int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : kDesignDpi;
    if (dc) ReleaseDC(nullptr, dc);
    return dpi > 0 ? dpi : kDesignDpi;
}

} // namespace

int WindowDpi(HWND window) {
    // Looked up at run time: the program still starts on Windows older than
    // 10 1607. user32 is loaded already, so no search path is involved.
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (window && getDpiForWindow) {
        const UINT dpi = getDpiForWindow(window);
        if (dpi > 0) return static_cast<int>(dpi);
    }
    return SystemDpi();
}

int ScaleToDpi(HWND window, int pixels) {
    return ScalePixels(pixels, WindowDpi(window));
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

int ButtonWidthForCaption(HWND button) {
    const int length = GetWindowTextLengthW(button);
    std::wstring caption(static_cast<std::size_t>(length) + 1, L'\0');
    caption.resize(static_cast<std::size_t>(GetWindowTextW(button, caption.data(), length + 1)));
    HDC dc = GetDC(button);
    if (!dc) return 0;
    HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(button, WM_GETFONT, 0, 0)));
    // Measured as the button draws it: an "&" marks the next letter.
    RECT text{};
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text,
              DT_CALCRECT | DT_SINGLELINE);
    SelectObject(dc, old);
    ReleaseDC(button, dc);
    // The glyph, a gap beside it, and the frame's margins on both sides.
    return text.right - text.left + ScaleToDpi(button, 16 + 3 + 2 * 5);
}

void CentreWithinWorkArea(HWND window, const RECT& over) {
    RECT own{};
    if (!GetWindowRect(window, &own)) return;
    const int width = own.right - own.left, height = own.bottom - own.top;
    int left = over.left + (over.right - over.left - width) / 2;
    int top = over.top + (over.bottom - over.top - height) / 2;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (GetMonitorInfoW(MonitorFromRect(&over, MONITOR_DEFAULTTONEAREST), &monitor)) {
        const RECT& work = monitor.rcWork;
        left = std::max<int>(work.left, std::min<int>(left, work.right - width));
        top = std::max<int>(work.top, std::min<int>(top, work.bottom - height));
    }
    SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace keyvane

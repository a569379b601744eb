#include "windows/TrayIcon.h"

#include "base/AppInfo.h"
#include "base/WinText.h"

#include <shellapi.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace keyvane {
namespace {
constexpr UINT_PTR kRetryTimer = 0x4B56; // the main window's only timer
constexpr UINT kRetryMs = 2000;
constexpr int kRetries = 30; // about a minute

// The paused picture, drawn from the program's icon: its colours washed to
// grey, with two orange bars in the lower right corner. Null when the icon
// cannot be read; the tooltip still tells then.
HICON MakePausedIcon(HICON icon) {
    ICONINFO info{};
    if (!icon || !GetIconInfo(icon, &info)) return nullptr;
    struct Bitmaps {
        ICONINFO& info;
        ~Bitmaps() {
            if (info.hbmColor) DeleteObject(info.hbmColor);
            if (info.hbmMask) DeleteObject(info.hbmMask);
        }
    } owned{info};
    BITMAP bitmap{};
    if (!info.hbmColor || !GetObjectW(info.hbmColor, sizeof bitmap, &bitmap)) return nullptr;
    const int width = bitmap.bmWidth;
    const int height = bitmap.bmHeight;
    if (width <= 0 || height <= 0) return nullptr;

    const auto size = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    std::vector<std::uint32_t> color(size), mask(size);
    HDC screen = GetDC(nullptr);
    const auto read = [&](HBITMAP from, std::vector<std::uint32_t>& into) {
        BITMAPINFO header{};
        header.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        header.bmiHeader.biWidth = width;
        header.bmiHeader.biHeight = -height; // top-down
        header.bmiHeader.biPlanes = 1;
        header.bmiHeader.biBitCount = 32;
        header.bmiHeader.biCompression = BI_RGB;
        return GetDIBits(screen, from, 0, static_cast<UINT>(height), into.data(), &header,
                         DIB_RGB_COLORS) == height;
    };
    const bool readBoth = read(info.hbmColor, color) && read(info.hbmMask, mask);
    ReleaseDC(nullptr, screen);
    if (!readBoth) return nullptr;

    // An icon without an alpha channel keeps its shape in the mask.
    const bool hasAlpha =
        std::any_of(color.begin(), color.end(), [](std::uint32_t p) { return (p >> 24) != 0; });
    const int bar = std::max(1, width / 8);
    const auto inBar = [&](int x, int y) {
        if (y < height / 2 || y >= height - 1) return false;
        return (x >= width - 4 * bar && x < width - 3 * bar) ||
               (x >= width - 2 * bar && x < width - bar);
    };
    const int maskStride = (width + 15) / 16 * 2; // monochrome rows are WORD-aligned
    std::vector<std::uint8_t> maskBits(static_cast<std::size_t>(maskStride) *
                                       static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint32_t& p = color[static_cast<std::size_t>(y) * width + x];
            std::uint32_t alpha =
                hasAlpha
                    ? p >> 24
                    : ((mask[static_cast<std::size_t>(y) * width + x] & 0xFFFFFF) != 0 ? 0 : 255);
            const std::uint32_t grey =
                (((p >> 16) & 0xFF) * 77 + ((p >> 8) & 0xFF) * 150 + (p & 0xFF) * 29) >> 8;
            const std::uint32_t washed = 96 + grey * 5 / 8;
            p = (alpha << 24) | (washed << 16) | (washed << 8) | washed;
            if (inBar(x, y)) {
                p = 0xFFE06010;
                alpha = 255;
            }
            if (alpha == 0)
                maskBits[static_cast<std::size_t>(y) * maskStride + x / 8] |=
                    static_cast<std::uint8_t>(0x80 >> (x % 8));
        }
    }
    HBITMAP paintedColor = CreateBitmap(width, height, 1, 32, color.data());
    HBITMAP paintedMask = CreateBitmap(width, height, 1, 1, maskBits.data());
    ICONINFO painted{TRUE, 0, 0, paintedMask, paintedColor};
    HICON result = paintedColor && paintedMask ? CreateIconIndirect(&painted) : nullptr;
    if (paintedColor) DeleteObject(paintedColor);
    if (paintedMask) DeleteObject(paintedMask);
    return result;
}
} // namespace

TrayIcon::~TrayIcon() {
    if (pausedIcon_) DestroyIcon(pausedIcon_);
}

NOTIFYICONDATAW TrayIcon::Record() const {
    NOTIFYICONDATAW record{};
    record.cbSize = sizeof record;
    record.hWnd = window_;
    record.uID = kIconId;
    record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    record.uCallbackMessage = kCallbackMessage;
    record.hIcon = paused_ && pausedIcon_ ? pausedIcon_ : icon_;
    const std::wstring tip = ToWide(paused_ ? kPausedTrayTip : kApplicationTitle);
    std::copy_n(tip.c_str(), std::min<std::size_t>(tip.size(), std::size(record.szTip) - 1),
                record.szTip);
    return record;
}

bool TrayIcon::TryAdd() {
    NOTIFYICONDATAW record = Record();
    // An add that timed out (a busy shell at log-on) may still have taken
    // the icon; the next add then fails as a duplicate. The icon is ours
    // to modify then, or its paused picture would never be shown.
    added_ = Shell_NotifyIconW(NIM_ADD, &record) != FALSE ||
             Shell_NotifyIconW(NIM_MODIFY, &record) != FALSE;
    return added_;
}

void TrayIcon::Add(HWND window, HICON icon) {
    window_ = window;
    icon_ = icon;
    wanted_ = true;
    if (TryAdd()) return;
    retriesLeft_ = kRetries;
    SetTimer(window_, kRetryTimer, kRetryMs, nullptr);
}

void TrayIcon::SetPaused(bool paused) {
    paused_ = paused;
    if (paused_ && !pausedIcon_) pausedIcon_ = MakePausedIcon(icon_);
    NOTIFYICONDATAW record = Record();
    // Not known to be there: an add that timed out may have taken it all
    // the same, and a retry still pending shows the state otherwise.
    if (Shell_NotifyIconW(NIM_MODIFY, &record)) added_ = wanted_;
}

bool TrayIcon::ShowNotice(std::wstring_view text) {
    if (!added_) return false;
    NOTIFYICONDATAW record = Record();
    record.uFlags |= NIF_INFO;
    record.dwInfoFlags = NIIF_WARNING;
    const std::wstring title = ToWide(kApplicationTitle);
    std::copy_n(title.c_str(), std::min(title.size(), std::size(record.szInfoTitle) - 1),
                record.szInfoTitle);
    std::copy_n(text.data(), std::min(text.size(), std::size(record.szInfo) - 1), record.szInfo);
    return Shell_NotifyIconW(NIM_MODIFY, &record) != FALSE;
}

void TrayIcon::Remove() {
    wanted_ = false;
    if (window_) KillTimer(window_, kRetryTimer);
    NOTIFYICONDATAW record = Record();
    Shell_NotifyIconW(NIM_DELETE, &record);
    added_ = false;
}

bool TrayIcon::HandleMessage(UINT message, WPARAM wParam) {
    if (message == WM_TIMER && wParam == kRetryTimer) {
        if (!wanted_ || TryAdd() || --retriesLeft_ <= 0) KillTimer(window_, kRetryTimer);
        return true;
    }
    if (taskbarCreated_ && message == taskbarCreated_) {
        // A new shell knows no icons: add ours again.
        if (wanted_) {
            added_ = false;
            if (!TryAdd()) {
                retriesLeft_ = kRetries;
                SetTimer(window_, kRetryTimer, kRetryMs, nullptr);
            }
        }
        return true;
    }
    return false;
}

} // namespace keyvane

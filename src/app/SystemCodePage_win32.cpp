// The system's ANSI code page to UTF-16.
#include "app/SystemCodePage.h"

#include "base/WinText.h"

#include <windows.h>

#include <climits>

namespace keyvane {

std::u16string SystemCodePageToUtf16(std::string_view bytes) {
    if (bytes.empty()) return {};
    // Texts here are short strings of at most 255 bytes or lines of small
    // files; anything past INT_MAX is not text we read.
    if (bytes.size() > static_cast<std::size_t>(INT_MAX)) return {};
    const int inLength = static_cast<int>(bytes.size());
    // No MB_ERR_INVALID_CHARS: a byte the code page lacks becomes the
    // default character rather than losing the whole text.
    const int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), inLength, nullptr, 0);
    if (n <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), inLength, wide.data(), n);
    return FromWide(wide);
}

} // namespace keyvane

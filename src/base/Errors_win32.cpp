// The system's error text through FormatMessageW.
#include "base/Errors.h"

#include "base/Text.h"
#include "base/WinText.h"

#include <windows.h>

namespace keyvane {

std::string SystemErrorText(std::uint32_t code) {
    wchar_t* buffer = nullptr;
    const DWORD n = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::u16string text = n ? FromWide(std::wstring_view(buffer, n)) : std::u16string();
    if (buffer) LocalFree(buffer);
    while (!text.empty() && (text.back() == u'\r' || text.back() == u'\n' || text.back() == u' '))
        text.pop_back();
    if (text.empty()) return NoSystemText(code);
    return ToUtf8(text);
}

} // namespace keyvane

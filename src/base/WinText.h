// The one bridge between the core's UTF-16 text (std::u16string) and the
// wide Win32 functions. Windows-side code only.
#pragma once

#include <string>
#include <string_view>

static_assert(sizeof(wchar_t) == 2, "the Windows side needs 16-bit wchar_t");

namespace keyvane {

inline const wchar_t* W(const std::u16string& s) {
    return reinterpret_cast<const wchar_t*>(s.c_str());
}

inline std::wstring ToWide(std::u16string_view s) {
    return std::wstring(reinterpret_cast<const wchar_t*>(s.data()), s.size());
}

inline std::u16string FromWide(std::wstring_view s) {
    return std::u16string(reinterpret_cast<const char16_t*>(s.data()), s.size());
}

inline std::u16string FromWide(const wchar_t* s) {
    return s ? FromWide(std::wstring_view(s)) : std::u16string();
}

} // namespace keyvane

// Text in the system's 8-bit code page (the option files, the version 1.2
// lists) to the core's UTF-16.
#pragma once

#include <string>
#include <string_view>

namespace keyvane {

// Windows: the ANSI code page (CP_ACP), so "Éditeur" written on a Western
// system stays "Éditeur". Natively a Latin-1 stand-in, so tests can use
// bytes above 0x7F.
std::u16string SystemCodePageToUtf16(std::string_view bytes);

} // namespace keyvane

// Native stand-in for the system code page: Latin-1, each byte one unit.
#include "app/SystemCodePage.h"

namespace keyvane {

std::u16string SystemCodePageToUtf16(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    for (char c : bytes)
        out += static_cast<char16_t>(static_cast<unsigned char>(c));
    return out;
}

} // namespace keyvane

// The system's error text for errno values.
#include "base/Errors.h"

#include <cstring>

namespace keyvane {

std::string SystemErrorText(std::uint32_t code) {
    const char* text = std::strerror(static_cast<int>(code));
    return text && *text ? std::string(text) : NoSystemText(code);
}

} // namespace keyvane

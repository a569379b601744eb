// The rule for the autostart value's data.
#include "app/options/Autostart.h"

namespace keyvane {

std::u16string AutostartRunValue(bool autoStart, std::u16string_view exePath) {
    if (!autoStart) return {};
    if (exePath.find(u' ') == std::u16string_view::npos) return std::u16string(exePath);
    std::u16string quoted;
    quoted.reserve(exePath.size() + 2);
    quoted.append(1, u'"').append(exePath).append(1, u'"');
    return quoted;
}

} // namespace keyvane

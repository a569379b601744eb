// Native stand-in for the error report's message box.
#include "base/ErrorReport.h"

#include "base/Text.h"

#include <cstdio>

namespace keyvane {

void ShowErrorReport(std::u16string_view text) {
    std::fprintf(stderr, "Keyvane: %s\n", ToUtf8(text).c_str());
}

} // namespace keyvane

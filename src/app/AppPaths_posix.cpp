// Native stand-in for the executable's path, so the core's callers link and
// run in the Linux tests.
#include "app/AppPaths.h"

#include "base/Text.h"

#include <climits>
#include <cstdlib>
#include <unistd.h>

namespace keyvane {

std::u16string ExecutablePath() {
    char buffer[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer);
    return n > 0 ? FromUtf8(std::string_view(buffer, static_cast<std::size_t>(n)))
                 : std::u16string();
}

std::u16string FinalPathOf(std::u16string_view folder) {
    char resolved[PATH_MAX];
    return realpath(ToUtf8(folder).c_str(), resolved) ? FromUtf8(resolved) : std::u16string();
}

} // namespace keyvane

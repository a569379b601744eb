// The data paths of the program, derived from the executable's path.
#include "app/AppPaths.h"

namespace keyvane {

std::u16string DirectoryOf(std::u16string_view exePath) {
    const auto slash = exePath.find_last_of(u"\\/");
    if (slash == std::u16string_view::npos) return {};
    return std::u16string(exePath.substr(0, slash));
}

std::u16string DataDirectoryFor(std::u16string_view exePath) {
    return DirectoryOf(exePath) + u"\\data";
}

std::u16string TaskListPathFor(std::u16string_view exePath) {
    return DirectoryOf(exePath) + u"\\data\\actions.cfg";
}

std::u16string SettingsPathFor(std::u16string_view exePath) {
    return DirectoryOf(exePath) + u"\\data\\settings.cnfg";
}

std::u16string WindowSizePathFor(std::u16string_view exePath) {
    return DirectoryOf(exePath) + u"\\data\\w_size.cnfg";
}

} // namespace keyvane

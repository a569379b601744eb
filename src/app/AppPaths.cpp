// The data paths of the program, derived from the executable's path.
#include "app/AppPaths.h"

#include "base/Text.h"

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

std::uint32_t InstanceKeyFor(std::u16string_view folder, std::u16string_view finalPath) {
    // A final path carries the system's long-path prefix; without it, it is
    // the path a plain spelling of the folder gives, so copies that key on
    // the spelling (earlier versions, an unresolved folder) meet this one.
    std::u16string identity(finalPath.empty() ? folder : finalPath);
    if (identity.starts_with(u"\\\\?\\UNC\\"))
        identity.replace(0, 8, u"\\\\");
    else if (identity.starts_with(u"\\\\?\\"))
        identity.erase(0, 4);
    // FNV-1a over the UTF-16 units, ASCII letters folded.
    std::uint32_t hash = 2166136261u;
    for (char16_t c : AsciiLowered(identity))
        hash = (hash ^ static_cast<std::uint32_t>(c)) * 16777619u;
    return hash;
}

std::u16string WindowSizePathFor(std::u16string_view exePath) {
    return DirectoryOf(exePath) + u"\\data\\w_size.cnfg";
}

} // namespace keyvane

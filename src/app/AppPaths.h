// Where the program keeps its files: the "data" folder beside the executable.
// The working directory plays no part, so a start from a shortcut, the
// autostart value or a console finds the same files.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace keyvane {

// The folder of an executable path, without a trailing backslash ("C:" for
// "C:\keyvane.exe"). Both "\" and "/" separate; a path without one gives "".
std::u16string DirectoryOf(std::u16string_view exePath);

// The data folder and the task list file for the executable at exePath.
std::u16string DataDirectoryFor(std::u16string_view exePath);
std::u16string TaskListPathFor(std::u16string_view exePath);
// The two option files: data\settings.cnfg and data\w_size.cnfg.
std::u16string SettingsPathFor(std::u16string_view exePath);
std::u16string WindowSizePathFor(std::u16string_view exePath);

// The full path of the running executable (AppPaths_win32.cpp, AppPaths_posix.cpp).
std::u16string ExecutablePath();

// The folder as the file system resolves it (short names, substituted and
// mapped drives and junctions followed), or empty when it cannot be opened.
std::u16string FinalPathOf(std::u16string_view folder);

// The key by which one copy of the program runs per data folder. Keyed on
// the folder's final path, so two spellings of one folder get one key; on
// the spelled path (letter case aside) when there is none.
std::uint32_t InstanceKeyFor(std::u16string_view folder, std::u16string_view finalPath);

} // namespace keyvane

// What a file dropped on the main window becomes: the fields of a new task
// the editor opens with. A program or document runs as it is; a shortcut
// (.lnk) runs its target with its arguments; an Internet shortcut (.url)
// opens its address. The shell's reading of shortcuts sits behind
// ShortcutResolver; the rest is portable.
#pragma once

#include "app/TaskEditor.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace keyvane {

// What a shortcut file holds, as the shell reads it.
struct ShortcutLink {
    std::u16string target; // a file system path; empty for a shell item (Control Panel)
    std::u16string arguments;
    std::u16string workingFolder; // empty: none given
    int showCommand = 1;          // SW_SHOWNORMAL 1, SW_SHOWMAXIMIZED 3, SW_SHOWMINNOACTIVE 7
};

class ShortcutResolver {
  public:
    virtual ~ShortcutResolver() = default;
    // Nothing when the file cannot be read as a shortcut.
    virtual std::optional<ShortcutLink> Resolve(const std::u16string& path) = 0;
};

// Windows: the shell's link object (ShortcutResolver_win32.cpp).
std::unique_ptr<ShortcutResolver> MakeShellShortcutResolver();

enum class DroppedFileKind { Program, Shortcut, InternetShortcut };
// By the extension, letter case aside; anything but .lnk and .url (a
// program, a document, a folder) is run as it is.
DroppedFileKind KindOfDroppedFile(std::u16string_view path);

// The URL= line of the [InternetShortcut] section of a .url file (an ini
// file: UTF-16 with its byte order mark, UTF-8, or the system's code page),
// trimmed, without the quotes around it (single or double), as the system's
// ini reading gives it; empty when there is none. Section and key compare
// without regard to letter case; the first URL of the section counts.
std::u16string InternetShortcutAddress(std::string_view bytes);

// The destination and run type of a shortcut's task. A target whose
// arguments the destination cannot carry (the dispatcher would split them
// elsewhere), or that must start in a folder other than its own (a task
// has no working folder), keeps the shortcut itself, which the shell runs
// exactly as the shortcut says; so does a shortcut without a file target.
TaskFields TaskForShortcut(const std::u16string& shortcutPath,
                           const std::optional<ShortcutLink>& link);

// The new task for a dropped file, or the line that tells the user why the
// file cannot be one (an Internet shortcut without an address or that
// cannot be read).
struct DroppedTask {
    std::optional<TaskFields> fields;
    std::u16string refusal;
};
DroppedTask TaskForDroppedFile(const std::u16string& path, ShortcutResolver& shortcuts);

} // namespace keyvane

#include "app/DroppedFile.h"

#include "actions/Dispatch.h"
#include "actions/ProgramActions.h"
#include "app/SystemCodePage.h"
#include "base/AppInfo.h"
#include "base/FileIO.h"
#include "base/Text.h"

namespace keyvane {
namespace {

// No Internet shortcut comes near this; a larger file is not one.
constexpr std::uint64_t kMaxInternetShortcutBytes = 64 * 1024;

std::u16string_view Trimmed(std::u16string_view text) {
    const auto blank = [](char16_t c) { return c == u' ' || c == u'\t' || c == u'\r'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::u16string DecodeIniText(std::string_view bytes) {
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        std::u16string text;
        for (std::size_t i = 2; i + 1 < bytes.size(); i += 2)
            text.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                                 static_cast<unsigned char>(bytes[i + 1]) << 8));
        return text;
    }
    if (bytes.starts_with("\xEF\xBB\xBF")) return FromUtf8(bytes.substr(3));
    // The shell writes these files in the system's code page; text that
    // reads as UTF-8 without loss was written so by another program.
    std::u16string utf8 = FromUtf8(bytes);
    if (ToUtf8(utf8) == bytes) return utf8;
    return SystemCodePageToUtf16(bytes);
}

std::u16string_view FolderOf(std::u16string_view path) {
    path.remove_suffix(FileNamePart(path).size());
    if (path.size() > 1 && path.back() == u'\\' && path[path.size() - 2] != u':')
        path.remove_suffix(1); // "C:\Tools", but "C:\"
    return path;
}

bool SameFolder(std::u16string_view a, std::u16string_view b) {
    const auto bare = [](std::u16string_view folder) {
        while (folder.size() > 3 && folder.back() == u'\\')
            folder.remove_suffix(1);
        return folder;
    };
    return EqualsIgnoreAsciiCase(bare(a), bare(b));
}

std::u16string RunTypeOfShowCommand(int showCommand) {
    switch (showCommand) {
    case 3: // SW_SHOWMAXIMIZED
        return u"Maximize";
    case 2: // SW_SHOWMINIMIZED
    case 6: // SW_MINIMIZE
    case 7: // SW_SHOWMINNOACTIVE, what a shortcut's "Minimized" stores
        return u"Minimze";
    default:
        return u"Normal";
    }
}

} // namespace

DroppedFileKind KindOfDroppedFile(std::u16string_view path) {
    const std::u16string name = AsciiLowered(FileNamePart(path));
    if (name.ends_with(u".lnk")) return DroppedFileKind::Shortcut;
    if (name.ends_with(u".url")) return DroppedFileKind::InternetShortcut;
    return DroppedFileKind::Program;
}

std::u16string InternetShortcutAddress(std::string_view bytes) {
    const std::u16string text = DecodeIniText(bytes);
    bool inSection = false;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(u'\n', start);
        if (end == std::u16string::npos) end = text.size();
        const std::u16string_view line =
            Trimmed(std::u16string_view(text).substr(start, end - start));
        start = end + 1;
        if (line.starts_with(u'[')) {
            inSection = line.ends_with(u']') &&
                        EqualsIgnoreAsciiCase(Trimmed(line.substr(1, line.size() - 2)),
                                              u"InternetShortcut");
            continue;
        }
        const std::size_t equals = line.find(u'=');
        if (!inSection || equals == std::u16string_view::npos) continue;
        if (!EqualsIgnoreAsciiCase(Trimmed(line.substr(0, equals)), u"URL")) continue;
        // The system's ini reading drops the quotes around a whole value,
        // and so the shell opens the address without them.
        std::u16string_view value = Trimmed(line.substr(equals + 1));
        if (value.size() >= 2 && value.front() == value.back() &&
            (value.front() == u'"' || value.front() == u'\''))
            value = value.substr(1, value.size() - 2);
        return std::u16string(value);
    }
    return {};
}

TaskFields TaskForShortcut(const std::u16string& shortcutPath,
                           const std::optional<ShortcutLink>& link) {
    TaskFields fields;
    fields.action = Action::RunSelectedProgram;
    fields.runType = RunTypeOfShowCommand(link ? link->showCommand : 1);
    fields.destination = shortcutPath;
    if (!link || link->target.empty()) return fields;
    std::u16string command = link->target;
    if (!link->arguments.empty()) command += u" " + link->arguments;
    // Only what the dispatcher reads back as this very program and these
    // arguments can stand in for the shortcut.
    const SplitCommand split = SplitDestination(command);
    const bool carried = split.program == link->target && split.parameters == link->arguments;
    const bool ownFolder =
        link->workingFolder.empty() || SameFolder(link->workingFolder, FolderOf(link->target));
    if (carried && ownFolder) fields.destination = std::move(command);
    return fields;
}

DroppedTask TaskForDroppedFile(const std::u16string& path, ShortcutResolver& shortcuts) {
    DroppedTask task;
    switch (KindOfDroppedFile(path)) {
    case DroppedFileKind::Program: {
        TaskFields fields;
        fields.action = Action::RunSelectedProgram;
        fields.destination = path;
        fields.runType = u"Normal";
        task.fields = std::move(fields);
        break;
    }
    case DroppedFileKind::Shortcut:
        task.fields = TaskForShortcut(path, shortcuts.Resolve(path));
        break;
    case DroppedFileKind::InternetShortcut: {
        std::u16string address;
        try {
            const std::vector<std::uint8_t> bytes = ReadWholeFile(path, kMaxInternetShortcutBytes);
            address = InternetShortcutAddress(
                std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
        } catch (const IoError& error) {
            task.refusal = FromUtf8(error.what());
            return task;
        }
        if (address.empty()) {
            task.refusal =
                std::u16string(kNoAddressBefore) + path + std::u16string(kNoAddressAfter);
            return task;
        }
        TaskFields fields;
        fields.action = Action::OpenWebsite;
        fields.destination = std::move(address);
        fields.runType = u"Normal";
        task.fields = std::move(fields);
        break;
    }
    }
    return task;
}

} // namespace keyvane

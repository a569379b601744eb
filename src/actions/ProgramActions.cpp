// Process matching for "Close selected program..." and what it tells the
// user, and the working folder of a chosen program.
#include "actions/ProgramActions.h"

#include "base/Errors.h"
#include "base/Text.h"

#include <algorithm>

namespace keyvane {

std::u16string_view FileNamePart(std::u16string_view text) {
    const std::size_t last = text.find_last_of(u"\\:");
    return last == std::u16string_view::npos ? text : text.substr(last + 1);
}

bool ProcessNameMatches(std::u16string_view exeFile, std::u16string_view name) {
    // A task without destination must not go after processes the system
    // reports without a name.
    if (name.empty()) return false;
    return EqualsIgnoreAsciiCase(FileNamePart(exeFile), name) ||
           EqualsIgnoreAsciiCase(exeFile, name);
}

CloseResult CloseMatchingProcesses(ProcessControl& processes, std::u16string_view name) {
    CloseResult result;
    if (name.empty()) return result;
    for (const ProcessEntry& entry : processes.RunningProcesses()) {
        if (!ProcessNameMatches(entry.exeFile, name)) continue;
        ++result.tried;
        if (auto error = processes.Terminate(entry.id))
            result.failures.push_back({entry.id, *error});
    }
    return result;
}

std::u16string CloseFailureMessage(std::u16string_view name, const CloseResult& result) {
    const std::size_t failed = result.failures.size();
    if (failed == 0) return {};
    std::string text = "Could not close ";
    if (result.tried > 1) {
        text += std::to_string(failed);
        if (failed < static_cast<std::size_t>(result.tried)) {
            text += " of ";
            text += std::to_string(result.tried);
        }
        text += " running copies of ";
    }
    text += ToUtf8(name) + ":";
    // Copies refused for the same reason (all elevated, say) give it once.
    std::vector<std::uint32_t> told;
    for (const CloseFailure& failure : result.failures) {
        if (std::find(told.begin(), told.end(), failure.error) != told.end()) continue;
        told.push_back(failure.error);
        text += ' ';
        text += SystemErrorText(failure.error);
    }
    return FromUtf8(text);
}

bool IsCopyOfProgram(std::u16string_view imagePath, std::u16string_view program) {
    std::u16string path(program);
    std::erase(path, u'"');
    std::replace(path.begin(), path.end(), u'/', u'\\');
    const std::size_t first = path.find_first_not_of(u' ');
    if (first == std::u16string::npos || imagePath.empty()) return false;
    path = path.substr(first, path.find_last_not_of(u' ') - first + 1);
    const bool fullPath =
        (path.size() > 2 && path[1] == u':' && path[2] == u'\\') || path.starts_with(u"\\\\");
    if (fullPath) return CaseFolded(imagePath) == CaseFolded(path);
    return CaseFolded(FileNamePart(imagePath)) == CaseFolded(FileNamePart(path));
}

std::u16string ProgramStartFolder(std::u16string_view program) {
    // No file name holds a double quote, so dropping them loses nothing.
    std::u16string path(program);
    std::erase(path, u'"');
    const std::size_t first = path.find_first_not_of(u' ');
    if (first == std::u16string::npos) return {};
    path = path.substr(first, path.find_last_not_of(u' ') - first + 1);

    const std::u16string lower = AsciiLowered(path);
    const bool isProgram =
        lower.ends_with(u".exe") || lower.ends_with(u".bat") || lower.ends_with(u".com");
    const bool onDrive = lower.size() > 2 && lower[0] >= u'a' && lower[0] <= u'z' &&
                         lower[1] == u':' && (lower[2] == u'\\' || lower[2] == u'/');
    const bool onNetwork = path.starts_with(u"\\\\");
    if (!isProgram || !(onDrive || onNetwork)) return {};
    const std::size_t last = path.find_last_of(u"\\/");
    if (onNetwork && last < 3) return {}; // no server name
    // A program in a drive's root keeps the backslash: "C:" alone would mean
    // that drive's current folder.
    return path.substr(0, onDrive && last == 2 ? 3 : last);
}

} // namespace keyvane

// Process matching for "Close selected program...".
#include "actions/ProgramActions.h"

#include "base/Text.h"

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

int CloseMatchingProcesses(ProcessControl& processes, std::u16string_view name) {
    if (name.empty()) return 0;
    int tried = 0;
    for (const ProcessEntry& entry : processes.RunningProcesses()) {
        if (!ProcessNameMatches(entry.exeFile, name)) continue;
        processes.Terminate(entry.id);
        ++tried;
    }
    return tried;
}

} // namespace keyvane

#include "app/RunningCopy.h"

#include "base/Text.h"

namespace keyvane {
namespace {

std::u16string_view WithoutLongPathPrefix(std::u16string_view path, std::u16string& unc) {
    if (path.starts_with(u"\\\\?\\UNC\\")) {
        unc = u"\\\\" + std::u16string(path.substr(8));
        return unc;
    }
    if (path.starts_with(u"\\\\?\\")) path.remove_prefix(4);
    return path;
}

} // namespace

MessagePlan PlanMessages(bool elevated, bool shellElevated) {
    MessagePlan plan;
    // The command line's request and copied data are never opened: from a
    // lower level they would be orders to an elevated copy. Neither is the
    // drop: the names it brings are a file the copy then reads.
    if (elevated) plan.opened = {GuardedMessage::TaskbarCreated, GuardedMessage::TrayCallback};
    plan.acceptDrops = !elevated || shellElevated;
    return plan;
}

bool RefusedByElevatedCopy(bool startElevated, bool copyElevated, int& exitCode,
                           NotDoneReason& reason) {
    if (!copyElevated || startElevated) return false;
    exitCode = kExitNotDone;
    reason = NotDoneReason::AsAdministrator;
    return true;
}

bool SameProgramFile(std::u16string_view ours, std::u16string_view theirs) {
    std::u16string uncOurs, uncTheirs;
    ours = WithoutLongPathPrefix(ours, uncOurs);
    theirs = WithoutLongPathPrefix(theirs, uncTheirs);
    return !ours.empty() && EqualsIgnoreAsciiCase(ours, theirs);
}

} // namespace keyvane

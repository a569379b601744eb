#include "tasks/TaskListStore.h"

#include "base/FileIO.h"
#include "base/Text.h"

namespace keyvane {
namespace {

std::u16string RescueCandidate(const std::u16string& path, int n) {
    if (n == 0) return path + u".bak";
    return path + u"." + FromUtf8(std::to_string(n)) + u".bak";
}

// Far more rescues than anyone keeps; past it the save fails rather than
// look for a free name for ever.
constexpr int kMaxRescues = 1000;

} // namespace

std::u16string TaskListStore::FreeRescuePath() const {
    for (int n = 0; n < kMaxRescues; ++n) {
        std::u16string candidate = RescueCandidate(path_, n);
        if (!FileExists(candidate)) return candidate;
    }
    return {};
}

TaskListStore::LoadResult TaskListStore::loadTaskList(TaskTable& table) {
    LoadResult result;
    keepUnreadable_ = false;
    if (!FileExists(path_)) { // a first start, or a folder in its place
        table.removeAllTasks();
        return result;
    }
    try {
        table.setRecordsFromFile(ReadWholeFile(path_));
        result.kind = LoadResult::Kind::Loaded;
        return result;
    } catch (const std::exception& e) {
        table.removeAllTasks();
        keepUnreadable_ = true;
        result.kind = LoadResult::Kind::Unreadable;
        result.reason = e.what();
        if (result.reason.find(ToUtf8(path_)) == std::string::npos)
            result.reason = "Cannot read file \"" + ToUtf8(path_) + "\". " + result.reason;
        result.rescuePath = FreeRescuePath();
        return result;
    }
}

void TaskListStore::saveTaskList(const TaskTable& table) {
    const auto bytes = EncodeTaskList(table.records());
    if (keepUnreadable_) {
        bool kept = !FileExists(path_); // gone meanwhile: nothing left to keep
        for (int n = 0; !kept && n < kMaxRescues; ++n)
            kept = MoveFileNoReplace(path_, RescueCandidate(path_, n));
        if (!kept)
            throw IoError("Cannot keep the unreadable task list \"" + ToUtf8(path_) +
                          "\" aside; it was not overwritten.");
        keepUnreadable_ = false;
    }
    WriteFileAtomically(path_, bytes);
}

} // namespace keyvane

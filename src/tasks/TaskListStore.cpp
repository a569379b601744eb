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

std::string NamingTheFile(const std::u16string& path, std::string reason) {
    if (reason.find(ToUtf8(path)) == std::string::npos)
        reason = "Cannot read file \"" + ToUtf8(path) + "\". " + reason;
    return reason;
}

} // namespace

std::u16string TaskListStore::FreeRescuePath() const {
    for (int n = 0; n < kMaxRescues; ++n) {
        std::u16string candidate = RescueCandidate(path_, n);
        if (!FileExists(candidate)) return candidate;
    }
    return {};
}

TaskListStore::LoadResult TaskListStore::loadTaskList(TaskTable& table) {
    // Only one copy of the program runs per folder, so any temporary file
    // here is a save that was killed before its last step.
    RemoveLeftoverTempFiles(path_);
    LoadResult result;
    state_ = State::Normal;
    if (!FileExists(path_)) { // a first start, or a folder in its place
        table.removeAllTasks();
        return result;
    }
    std::vector<std::uint8_t> bytes;
    try {
        bytes = ReadWholeFile(path_);
    } catch (const FileTooLargeError& e) {
        result.kind = LoadResult::Kind::Unreadable;
        result.reason = e.what();
    } catch (const IoError& e) {
        // Locked or denied: the file may be perfectly good.
        table.removeAllTasks();
        state_ = State::Unopened;
        result.kind = LoadResult::Kind::Unopened;
        result.reason = e.what();
        return result;
    }
    if (result.kind == LoadResult::Kind::Unreadable) {
        table.removeAllTasks();
    } else {
        try {
            table.setRecordsFromFile(bytes);
            result.kind = LoadResult::Kind::Loaded;
            return result;
        } catch (const std::exception& e) {
            table.removeAllTasks();
            result.kind = LoadResult::Kind::Unreadable;
            result.reason = e.what();
        }
    }
    state_ = State::KeepAside;
    result.reason = NamingTheFile(path_, result.reason);
    result.rescuePath = FreeRescuePath();
    return result;
}

std::optional<std::vector<TaskRecord>> TaskListStore::retryUnopened() {
    if (state_ != State::Unopened) return std::nullopt;
    if (!FileExists(path_)) { // gone meanwhile: nothing left to keep
        state_ = State::Normal;
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes;
    try {
        bytes = ReadWholeFile(path_);
    } catch (const FileTooLargeError&) {
        state_ = State::KeepAside;
        return std::nullopt;
    }
    try {
        auto records = DecodeTaskList(bytes);
        state_ = State::Normal;
        return records;
    } catch (const std::exception&) {
        state_ = State::KeepAside;
        return std::nullopt;
    }
}

void TaskListStore::saveTaskList(const TaskTable& table) {
    if (state_ == State::NotLoaded)
        throw IoError("The task list \"" + ToUtf8(path_) +
                      "\" was not loaded yet, so it is not written.");
    if (state_ == State::Unopened)
        throw IoError("The task list \"" + ToUtf8(path_) +
                      "\" could not be read and is not overwritten.");
    const auto bytes = EncodeTaskList(table.records());
    if (state_ == State::KeepAside) {
        bool kept = !FileExists(path_); // gone meanwhile: nothing left to keep
        for (int n = 0; !kept && n < kMaxRescues; ++n)
            kept = MoveFileNoReplace(path_, RescueCandidate(path_, n));
        if (!kept)
            throw IoError("Cannot keep the unreadable task list \"" + ToUtf8(path_) +
                          "\" aside; it was not overwritten.");
        state_ = State::Normal;
    }
    WriteFileAtomically(path_, bytes);
}

} // namespace keyvane

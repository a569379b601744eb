#include "tasks/TaskListStore.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace keyvane {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Kind = TaskListStore::LoadResult::Kind;

Bytes Utf16Le(std::u16string_view text) {
    Bytes out{0xFF, 0xFE};
    for (char16_t c : text) {
        out.push_back(static_cast<std::uint8_t>(c & 0xFF));
        out.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    return out;
}

int FilesIn(const std::filesystem::path& dir) {
    int n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir))
        ++n;
    return n;
}

TEST(TaskListStore, LoadReplacesTheTableAndTellsWhatItFound) {
    test::TempFolder dir;
    TaskTable t;
    t.appendTasks(3);

    TaskListStore missing(test::U16Path(dir / "missing.cfg"));
    EXPECT_EQ(missing.loadTaskList(t).kind, Kind::Missing);
    EXPECT_EQ(t.taskCount(), 0);

    test::WriteBytes(dir / "two.cfg", Utf16Le(u"1,A,,,,0,True\r\n2,B,,,,0,False\r\n"));
    TaskListStore two(test::U16Path(dir / "two.cfg"));
    EXPECT_EQ(two.loadTaskList(t).kind, Kind::Loaded);
    EXPECT_EQ(t.taskCount(), 2);
    EXPECT_FALSE(t.cellFlag(u"Enabled", 1));
}

TEST(TaskListStore, SaveCreatesTheMissingDataFolderAndReplacesWhole) {
    test::TempFolder dir;
    const auto file = dir / "data" / "actions.cfg";
    TaskListStore store(test::U16Path(file));
    TaskTable t;
    EXPECT_THROW(store.saveTaskList(t), IoError) << "nothing is saved before a load";
    store.loadTaskList(t);
    t.setCellText(u"Desc", t.appendTasks(1), u"Run Calc");
    store.saveTaskList(t);
    EXPECT_EQ(test::ReadBytes(file), Utf16Le(u"1,Run Calc,,,,0,True\r\n"));

    t.removeAllTasks();
    store.saveTaskList(t);
    EXPECT_EQ(test::ReadBytes(file), (Bytes{0xFF, 0xFE}));
    EXPECT_EQ(FilesIn(dir / "data"), 1) << "no temporary file is left behind";
}

TEST(TaskListStore, FailedSaveReportsAndKeepsTheOldFile) {
    test::TempFolder dir;
    // The target's folder cannot be made: a file stands where it should be.
    test::WriteBytes(dir / "data", {1});
    TaskTable t;
    TaskListStore missing(test::U16Path(dir / "data" / "actions.cfg"));
    missing.loadTaskList(t);
    t.appendTasks(1);
    EXPECT_THROW(missing.saveTaskList(t), IoError);

    // The target is a folder: the replace step fails, the folder stays.
    std::filesystem::create_directories(dir / "x" / "actions.cfg" / "keep");
    TaskListStore folder(test::U16Path(dir / "x" / "actions.cfg"));
    EXPECT_EQ(folder.loadTaskList(t).kind, Kind::Missing) << "a folder is no task list";
    EXPECT_THROW(folder.saveTaskList(t), IoError);
    EXPECT_TRUE(std::filesystem::exists(dir / "x" / "actions.cfg" / "keep"));
}

TEST(TaskListStore, UnreadableListIsKeptAsideAndNoRescueIsEverOverwritten) {
    // A file past the record limit cannot be loaded; it may still be the
    // user's only copy of their tasks. Each start that meets such a file
    // keeps it under a fresh name, so an earlier rescue survives.
    test::TempFolder dir;
    const auto file = dir / "actions.cfg";
    const Bytes first(kMaxTasks + 1, '\n');
    const Bytes second(kMaxTasks + 2, '\n');
    test::WriteBytes(file, first);

    for (const auto& [content, rescue] :
         {std::pair{&first, "actions.cfg.bak"}, std::pair{&second, "actions.cfg.1.bak"}}) {
        test::WriteBytes(file, *content);
        TaskListStore store(test::U16Path(file));
        TaskTable t;
        const auto result = store.loadTaskList(t);
        ASSERT_EQ(result.kind, Kind::Unreadable);
        EXPECT_EQ(t.taskCount(), 0) << "no partial table";
        EXPECT_NE(result.reason.find("actions.cfg"), std::string::npos) << result.reason;
        EXPECT_EQ(result.rescuePath, test::U16Path(dir / rescue));
        t.setCellText(u"Desc", t.appendTasks(1), u"Run Calc");
        store.saveTaskList(t);
        EXPECT_EQ(test::ReadBytes(dir / rescue), *content);
        EXPECT_EQ(test::ReadBytes(file), Utf16Le(u"1,Run Calc,,,,0,True\r\n"));
    }
    EXPECT_EQ(test::ReadBytes(dir / "actions.cfg.bak"), first) << "the first rescue is intact";
}

TEST(TaskListStore, EveryTableTheProgramCanHoldLoadsBack) {
    // The table stops where the reader stops: a full table saves and loads,
    // and one more row is refused before anything could be written.
    test::TempFolder dir;
    TaskListStore store(test::U16Path(dir / "actions.cfg"));
    ASSERT_EQ(kMaxTasks, 100000) << "lists up to this size load; larger ones are kept aside";
    TaskTable t;
    store.loadTaskList(t);
    t.appendTasks(kMaxTasks);
    EXPECT_THROW(t.appendTasks(1), TableFullError);
    EXPECT_EQ(t.taskCount(), kMaxTasks);
    store.saveTaskList(t);
    TaskTable back;
    EXPECT_EQ(store.loadTaskList(back).kind, Kind::Loaded);
    EXPECT_EQ(back.taskCount(), kMaxTasks);
}

} // namespace
} // namespace keyvane

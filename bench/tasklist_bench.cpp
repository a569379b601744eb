// Load and save of a 10,000-task file, through the real file functions.
#include "tasks/TaskListFile.h"
#include "tasks/TaskListStore.h"
#include "tasks/TaskTable.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

using keyvane::TaskListStore;
using keyvane::TaskTable;

std::u16string U16(const std::string& s) {
    return std::u16string(s.begin(), s.end());
}

TaskTable MakeTable(int rows) {
    TaskTable t;
    t.beginBatch();
    for (int i = 0; i < rows; ++i) {
        const int r = t.appendTasks(1);
        t.setCellText(u"Desc", r, u"Run selected program...");
        t.setCellText(u"Hotkey", r, u"Ctrl+Alt+" + U16(std::to_string(i % 10)));
        t.setCellText(u"Dest", r,
                      u"\"C:\\Program Files\\Some App\\app.exe\" -x, -y " + U16(std::to_string(i)));
        t.setCellText(u"Type_run", r, u"Normal");
        t.setCellNumber(u"Image", r, i % 16);
        t.setCellText(u"Enabled", r, i % 3 ? u"True" : u"False");
    }
    t.endBatch();
    return t;
}

std::string BenchFile() {
    return (std::filesystem::temp_directory_path() / ("keyvane-bench-" + std::to_string(getpid())))
               .string() +
           "/actions.cfg";
}

void BM_SaveTaskList10k(benchmark::State& state) {
    const TaskTable t = MakeTable(10000);
    const auto path = BenchFile();
    TaskListStore store(U16(path));
    for (auto _ : state)
        store.saveTaskList(t);
    std::filesystem::remove_all(std::filesystem::path(path).parent_path());
}
BENCHMARK(BM_SaveTaskList10k)->Unit(benchmark::kMillisecond);

void BM_LoadTaskList10k(benchmark::State& state) {
    const auto path = BenchFile();
    TaskListStore store(U16(path));
    store.saveTaskList(MakeTable(10000));
    TaskTable t;
    for (auto _ : state)
        store.loadTaskList(t);
    if (t.taskCount() != 10000) state.SkipWithError("wrong row count");
    std::filesystem::remove_all(std::filesystem::path(path).parent_path());
}
BENCHMARK(BM_LoadTaskList10k)->Unit(benchmark::kMillisecond);

} // namespace

namespace {

// The same work without the disk, to tell format cost from file cost.
void BM_EncodeTaskList10k(benchmark::State& state) {
    const TaskTable t = MakeTable(10000);
    for (auto _ : state)
        benchmark::DoNotOptimize(keyvane::EncodeTaskList(t.records()));
}
BENCHMARK(BM_EncodeTaskList10k)->Unit(benchmark::kMillisecond);

void BM_DecodeTaskList10k(benchmark::State& state) {
    const auto bytes = keyvane::EncodeTaskList(MakeTable(10000).records());
    for (auto _ : state) {
        TaskTable t;
        t.setRecords(keyvane::DecodeTaskList(bytes));
        benchmark::DoNotOptimize(t.taskCount());
    }
}
BENCHMARK(BM_DecodeTaskList10k)->Unit(benchmark::kMillisecond);

} // namespace

// Load and save of a 10,000-task file, through the real file functions, and
// the peak memory of loading a hostile file.
#include "tasks/TaskListFile.h"
#include "tasks/TaskListStore.h"
#include "tasks/TaskTable.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <malloc.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using keyvane::TaskListStore;
using keyvane::TaskTable;

std::u16string U16(const std::string& s) {
    return std::u16string(s.begin(), s.end());
}

TaskTable MakeTable(int rows) {
    TaskTable t;
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
    TaskTable loaded;
    store.loadTaskList(loaded); // the store saves only what it loaded first
    for (auto _ : state)
        store.saveTaskList(t);
    std::filesystem::remove_all(std::filesystem::path(path).parent_path());
}
BENCHMARK(BM_SaveTaskList10k)->Unit(benchmark::kMillisecond);

void BM_LoadTaskList10k(benchmark::State& state) {
    const auto path = BenchFile();
    TaskListStore store(U16(path));
    TaskTable t;
    store.loadTaskList(t); // the store saves only what it loaded first
    store.saveTaskList(MakeTable(10000));
    for (auto _ : state)
        store.loadTaskList(t);
    if (t.taskCount() != 10000) state.SkipWithError("wrong row count");
    std::filesystem::remove_all(std::filesystem::path(path).parent_path());
}
BENCHMARK(BM_LoadTaskList10k)->Unit(benchmark::kMillisecond);

} // namespace

namespace {

// The same work without the disk, to tell format cost from file cost: the
// writer, the reader alone, and a whole load (the reader filling the table,
// as the store does, and by way of a whole record list).
void BM_EncodeTaskList10k(benchmark::State& state) {
    const TaskTable t = MakeTable(10000);
    for (auto _ : state)
        benchmark::DoNotOptimize(keyvane::EncodeTaskList(t.records()));
}
BENCHMARK(BM_EncodeTaskList10k)->Unit(benchmark::kMillisecond);

void BM_DecodeTaskList10k(benchmark::State& state) {
    const auto bytes = keyvane::EncodeTaskList(MakeTable(10000).records());
    for (auto _ : state)
        benchmark::DoNotOptimize(keyvane::DecodeTaskList(bytes));
}
BENCHMARK(BM_DecodeTaskList10k)->Unit(benchmark::kMillisecond);

void BM_DecodeIntoTable10k(benchmark::State& state) {
    const auto bytes = keyvane::EncodeTaskList(MakeTable(10000).records());
    for (auto _ : state) {
        TaskTable t;
        t.setRecordsFromFile(bytes);
        benchmark::DoNotOptimize(t.taskCount());
    }
}
BENCHMARK(BM_DecodeIntoTable10k)->Unit(benchmark::kMillisecond);

void BM_DecodeRecordsIntoTable10k(benchmark::State& state) {
    const auto bytes = keyvane::EncodeTaskList(MakeTable(10000).records());
    for (auto _ : state) {
        TaskTable t;
        t.setRecords(keyvane::DecodeTaskList(bytes));
        benchmark::DoNotOptimize(t.taskCount());
    }
}
BENCHMARK(BM_DecodeRecordsIntoTable10k)->Unit(benchmark::kMillisecond);

} // namespace

namespace {

// A field of the process status in kB ("VmRSS", "VmHWM"), or -1.
long StatusKb(const std::string& key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.compare(0, key.size() + 1, key + ":") == 0)
            return std::stol(line.substr(key.size() + 1));
    return -1;
}

// Lets the high-water mark fall back to the present resident size.
bool ResetPeak() {
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    clear.flush();
    return static_cast<bool>(clear);
}

// Peak resident growth of a whole load (file read, decode, table fill) as a
// multiple of the file size: the file's bytes are read through the store, as
// at start-up. Arg 0: 64 MiB of single-byte '|' (each read as CR LF, the
// table then holds four bytes for each byte of the file); arg 1: the same in
// UTF-16; arg 2: one empty line per task up to the record limit.
void BM_LoadPeakMemory(benchmark::State& state) {
    std::vector<std::uint8_t> bytes;
    switch (state.range(0)) {
    case 0:
        bytes.assign(64u << 20, '|');
        break;
    case 1:
        bytes.assign(64u << 20, 0);
        bytes[0] = 0xFF;
        bytes[1] = 0xFE;
        for (std::size_t i = 2; i < bytes.size(); i += 2)
            bytes[i] = '|';
        break;
    default:
        bytes.assign(keyvane::kMaxTasks, '\n');
    }
    const auto path = BenchFile();
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    const double fileBytes = static_cast<double>(bytes.size());
    bytes = {};
    TaskListStore store(U16(path));
    double peakGrowthKb = 0;
    for (auto _ : state) {
        TaskTable t;
        malloc_trim(0); // memory freed earlier must not be reused unseen
        if (!ResetPeak()) {
            state.SkipWithError("cannot reset the peak resident size");
            break;
        }
        const long before = StatusKb("VmRSS");
        store.loadTaskList(t);
        peakGrowthKb = std::max(peakGrowthKb, static_cast<double>(StatusKb("VmHWM") - before));
        if (t.taskCount() == 0) state.SkipWithError("nothing loaded");
    }
    state.counters["peak_MiB"] = peakGrowthKb / 1024;
    state.counters["peak_x_file"] = peakGrowthKb * 1024 / fileBytes;
    std::filesystem::remove_all(std::filesystem::path(path).parent_path());
}
BENCHMARK(BM_LoadPeakMemory)->Arg(0)->Arg(1)->Arg(2)->Iterations(2)->Unit(benchmark::kMillisecond);

} // namespace

// The grid's filter over 10,000 tasks: one keystroke in the search box
// matches every row again. It must answer well within 50 ms.
#include "app/TaskFilter.h"
#include "tasks/TaskTable.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

using keyvane::TaskFilter;
using keyvane::TaskTable;

std::u16string U16(const std::string& s) {
    return std::u16string(s.begin(), s.end());
}

// Long destinations with some letters beyond ASCII, as real paths have.
const TaskTable& Table10k() {
    static const TaskTable table = [] {
        TaskTable t;
        for (int i = 0; i < 10000; ++i) {
            const int r = t.appendTasks(1);
            t.setCellText(u"Desc", r, i % 2 ? u"Run selected program..." : u"Open website...");
            t.setCellText(u"Hotkey", r, u"Ctrl+Alt+" + U16(std::to_string(i % 10)));
            t.setCellText(u"Dest", r,
                          u"\"C:\\Programme\\Übersicht Größe\\app.exe\" --workspace " +
                              U16(std::to_string(i)) + u" --Ärger");
        }
        return t;
    }();
    return table;
}

void BM_FilterKeystroke10k(benchmark::State& state, std::u16string text) {
    TaskFilter filter(Table10k());
    for (auto _ : state) {
        filter.SetText(text);
        benchmark::DoNotOptimize(filter.visibleCount());
    }
}

// One letter matches most rows; a longer text, a rare one and none at all
// walk every cell to its end.
BENCHMARK_CAPTURE(BM_FilterKeystroke10k, one_letter, std::u16string(u"a"))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FilterKeystroke10k, word, std::u16string(u"workspace 99"))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FilterKeystroke10k, beyond_ascii, std::u16string(u"ÄRGER"))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FilterKeystroke10k, no_match, std::u16string(u"nowhere to be found"))
    ->Unit(benchmark::kMillisecond);

} // namespace

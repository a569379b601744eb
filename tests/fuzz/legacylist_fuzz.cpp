// Any bytes must either give the items of a version 1.2 list or fail with
// the reader's one error, without a crash, a sanitizer report or a large
// allocation; the items must make task records and rows.
#include "app/Version12List.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<keyvane::Version12Item> items;
    try {
        items = keyvane::ReadVersion12List({data, size});
    } catch (const keyvane::Version12ListError&) {
        return 0;
    }
    // Each item record takes at least 21 bytes of the stream.
    if (items.size() > size / 21) std::abort();
    const auto records = keyvane::Version12ItemsToTaskRecords(items);
    keyvane::TaskTable table;
    keyvane::AppendImportedTasks(table, records);
    if (table.taskCount() != static_cast<int>(items.size())) std::abort();
    return 0;
}

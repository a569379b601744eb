// Any byte sequence must load into some table without a crash or a sanitizer
// report, and what the writer makes of that table must read back to the same
// table: the writer's output is a fixed point of a save-load cycle.
#include "tasks/TaskListFile.h"
#include "tasks/TaskTable.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    keyvane::TaskTable first;
    try {
        first.setRecords(keyvane::DecodeTaskList({data, size}));
    } catch (const keyvane::IoError&) {
        return 0; // too many records: refused as a whole
    }
    const auto saved = keyvane::EncodeTaskList(first.records());

    keyvane::TaskTable second;
    second.setRecords(keyvane::DecodeTaskList(saved));
    if (keyvane::EncodeTaskList(second.records()) != saved) std::abort();
    return 0;
}

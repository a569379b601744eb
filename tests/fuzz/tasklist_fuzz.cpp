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
        keyvane::DecodeTaskList({data, size}, first);
    } catch (const keyvane::IoError&) {
        return 0; // too many records: refused as a whole
    }
    const auto saved = keyvane::EncodeTaskList(first);

    keyvane::TaskTable second;
    keyvane::DecodeTaskList(saved, second);
    if (keyvane::EncodeTaskList(second) != saved) std::abort();
    return 0;
}

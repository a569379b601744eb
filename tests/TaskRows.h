// Builds a task table from rows written out in a test.
#pragma once

#include "tasks/TaskTable.h"

#include <initializer_list>
#include <string>

namespace keyvane::test {

struct TaskRow {
    std::u16string desc{};
    std::u16string hotkey{};
    std::u16string dest{};
    std::u16string typeRun = u"Normal";
    bool enabled = true;
};

inline void AppendRow(TaskTable& table, const TaskRow& r) {
    const int row = table.appendTasks(1);
    table.setCellText(Column::Desc, row, r.desc);
    table.setCellText(Column::Hotkey, row, r.hotkey);
    table.setCellText(Column::Dest, row, r.dest);
    table.setCellText(Column::Type_run, row, r.typeRun);
    table.setCellText(Column::Enabled, row, r.enabled ? u"True" : u"False");
}

inline void FillTable(TaskTable& table, std::initializer_list<TaskRow> rows) {
    for (const TaskRow& r : rows)
        AppendRow(table, r);
}

} // namespace keyvane::test

#include "app/TaskIcons.h"

#include "tasks/TaskTable.h"

#include <map>
#include <tuple>
#include <utility>

namespace keyvane {

bool IconSourceOf(std::u16string_view desc, std::u16string_view dest, IconSource& source) {
    using K = IconSource::Kind;
    auto file = [&](std::u16string_view name, int index) {
        source = IconSource{K::File, std::u16string(name), index};
        return true;
    };
    auto builtin = [&](K kind) {
        source = IconSource{kind, {}, 0};
        return true;
    };
    if (desc == u"Run selected program..." || desc == u"Close selected program...")
        return file(dest, 0);
    if (desc == u"Run My Computer") return file(kShellLibrary, 15);
    if (desc == u"Run My Documents") return file(kShellLibrary, 4);
    if (desc == u"Run Calc") return file(u"calc.exe", 0);
    if (desc == u"Run Notepad") return file(u"Notepad.exe", 0);
    if (desc == u"Run Command Promt") return file(u"cmd.exe", 0);
    if (desc == u"Power off computer") return file(kShellLibrary, 27);
    if (desc == u"Reboot computer") return builtin(K::Reboot);
    if (desc == u"Hibernate computer" || desc == u"Stand by computer") return builtin(K::Hibernate);
    if (desc == u"Log off computer") return file(kShellLibrary, 44);
    if (desc == u"Open Website...") return file(kShellLibrary, 13);
    if (desc == u"Open CD-Rom" || desc == u"Close CD-Rom") return file(kShellLibrary, 188);
    if (desc == u"Minimize/Maximaze all windows") return builtin(K::MinimizeAll);
    return false;
}

IconPlan RebuildTaskIcons(TaskTable& table) {
    IconPlan plan;
    std::map<std::tuple<int, int, std::u16string>, int> known; // source -> its position
    table.beginBatch();
    const int count = table.taskCount();
    for (int row = 0; row < count; ++row) {
        IconSource source;
        if (!IconSourceOf(table.textCell(Column::Desc, row), table.textCell(Column::Dest, row),
                          source))
            continue;
        auto key = std::make_tuple(static_cast<int>(source.kind), source.index, source.file);
        auto [it, added] = known.try_emplace(std::move(key), static_cast<int>(plan.sources.size()));
        if (added) plan.sources.push_back(std::move(source));
        table.setCellNumber(u"Image", row, static_cast<std::int32_t>(plan.entries.size()));
        plan.entries.push_back(it->second);
    }
    table.endBatch();
    return plan;
}

} // namespace keyvane

#include "app/TaskIcons.h"

#include "tasks/TaskTable.h"
#include "tasks/TaskVocabulary.h"

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
    const auto action = ActionFromName(desc);
    if (!action) return false;
    switch (*action) {
    case Action::RunSelectedProgram:
    case Action::CloseSelectedProgram:
        return file(dest, 0);
    case Action::RunMyComputer:
        return file(kShellLibrary, 15);
    case Action::RunMyDocuments:
        return file(kShellLibrary, 4);
    case Action::RunCalc:
        return file(u"calc.exe", 0);
    case Action::RunNotepad:
        return file(u"Notepad.exe", 0);
    case Action::RunCommandPrompt:
        return file(u"cmd.exe", 0);
    case Action::PowerOff:
        return file(kShellLibrary, 27);
    case Action::Reboot:
        return builtin(K::Reboot);
    case Action::Hibernate:
    case Action::StandBy:
        return builtin(K::Hibernate);
    case Action::LogOff:
        return file(kShellLibrary, 44);
    case Action::OpenWebsite:
        return file(kShellLibrary, 13);
    case Action::OpenCdRom:
    case Action::CloseCdRom:
        return file(kShellLibrary, 188);
    case Action::MinimizeAll:
        return builtin(K::MinimizeAll);
    case Action::TypeText:
        return builtin(K::TypeText);
    case Action::SendKeys:
        return builtin(K::SendKeys);
    }
    return false;
}

IconPlan RebuildTaskIcons(TaskTable& table) {
    IconPlan plan;
    std::map<std::tuple<int, int, std::u16string>, int> known; // source -> its position
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
    return plan;
}

} // namespace keyvane

#include "tasks/TaskVocabulary.h"

namespace keyvane {

// The spellings are the program's own, "Promt" and "Maximaze" included:
// task list files hold them.
const std::array<std::u16string_view, kActionCount> kActionNames = {
    u"Run My Computer",
    u"Run My Documents",
    u"Run Calc",
    u"Run Notepad",
    u"Run Command Promt",
    u"Power off computer",
    u"Reboot computer",
    u"Hibernate computer",
    u"Stand by computer",
    u"Log off computer",
    u"Run selected program...",
    u"Close selected program...",
    u"Open Website...",
    u"Open CD-Rom",
    u"Close CD-Rom",
    u"Minimize/Maximaze all windows",
    u"Type text...",
    u"Send keys...",
};

// Show codes: SW_SHOWNORMAL 1, SW_HIDE 0, SW_SHOWMAXIMIZED 3, SW_MINIMIZE 6.
const std::array<RunType, 4> kRunTypes = {{
    {u"Normal", 1},
    {u"Hide", 0},
    {u"Maximize", 3},
    {u"Minimze", 6},
}};

std::u16string_view ActionName(Action action) {
    return kActionNames[static_cast<std::size_t>(action)];
}

std::optional<Action> ActionFromName(std::u16string_view name) {
    for (std::size_t i = 0; i < kActionNames.size(); ++i)
        if (kActionNames[i] == name) return static_cast<Action>(i);
    return std::nullopt;
}

} // namespace keyvane

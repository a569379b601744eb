// The action names against the texts task list files hold.
#include "tasks/TaskVocabulary.h"

#include <gtest/gtest.h>

#include <string>

namespace keyvane {
namespace {

TEST(TaskVocabulary, ActionNamesAreTheStoredTextsInListOrder) {
    // Spelled as stored, typos included; a changed letter unbinds every
    // existing task of that action.
    const std::u16string_view stored[] = {
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
    ASSERT_EQ(std::size(stored), static_cast<std::size_t>(kActionCount));
    for (int i = 0; i < kActionCount; ++i) {
        const auto action = static_cast<Action>(i);
        EXPECT_EQ(ActionName(action), stored[i]) << i;
        EXPECT_EQ(ActionFromName(stored[i]), action) << i;
    }
    for (std::u16string_view other : {u"Run calc", u"Run Calc ", u"", u"Run Command Prompt"})
        EXPECT_EQ(ActionFromName(other), std::nullopt) << std::string(other.begin(), other.end());
}

} // namespace
} // namespace keyvane

#include "app/AppPaths.h"

#include <gtest/gtest.h>

namespace keyvane {
namespace {

struct PathCase {
    std::u16string exe;
    std::u16string dataDir;
    std::u16string taskList;
};

TEST(AppPaths, DataFilesLieBesideTheExecutable) {
    const PathCase cases[] = {
        {u"C:\\Program Files\\Keyvane\\keyvane.exe", u"C:\\Program Files\\Keyvane\\data",
         u"C:\\Program Files\\Keyvane\\data\\actions.cfg"},
        // At a drive's root the folder is taken without its backslash.
        {u"C:\\keyvane.exe", u"C:\\data", u"C:\\data\\actions.cfg"},
        {u"\\\\server\\share\\kv\\keyvane.exe", u"\\\\server\\share\\kv\\data",
         u"\\\\server\\share\\kv\\data\\actions.cfg"},
        {u"\\\\?\\C:\\a.b\\c d\\keyvane.exe", u"\\\\?\\C:\\a.b\\c d\\data",
         u"\\\\?\\C:\\a.b\\c d\\data\\actions.cfg"},
        {u"D:\\Pr\u00f6gramme\\\u65e5\u672c\\keyvane.exe",
         u"D:\\Pr\u00f6gramme\\\u65e5\u672c\\data",
         u"D:\\Pr\u00f6gramme\\\u65e5\u672c\\data\\actions.cfg"},
        // A forward slash separates too (a path handed over from a POSIX tool).
        {u"C:/tools/keyvane.exe", u"C:/tools\\data", u"C:/tools\\data\\actions.cfg"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DataDirectoryFor(c.exe), c.dataDir);
        EXPECT_EQ(TaskListPathFor(c.exe), c.taskList);
        EXPECT_EQ(SettingsPathFor(c.exe), c.dataDir + u"\\settings.cnfg");
        EXPECT_EQ(WindowSizePathFor(c.exe), c.dataDir + u"\\w_size.cnfg");
    }
}

TEST(AppPaths, DirectoryOfTakesEverythingBeforeTheLastSeparator) {
    EXPECT_EQ(DirectoryOf(u"C:\\a\\b\\keyvane.exe"), u"C:\\a\\b");
    EXPECT_EQ(DirectoryOf(u"C:\\a\\b\\"), u"C:\\a\\b");
    EXPECT_EQ(DirectoryOf(u"keyvane.exe"), u"");
    EXPECT_EQ(DirectoryOf(u""), u"");
}

TEST(AppPaths, ExecutablePathNamesThisProgram) {
    const std::u16string path = ExecutablePath();
    ASSERT_FALSE(path.empty());
    const std::u16string dir = DirectoryOf(path);
    EXPECT_FALSE(dir.empty());
    EXPECT_NE(path.find(u"keyvane_tests"), std::u16string::npos);
}

TEST(AppPaths, OneFolderSpelledTwoWaysGetsOneInstanceKey) {
    const std::u16string_view folder = u"C:\\Users\\Ann\\Keyvane";
    const std::uint32_t key = InstanceKeyFor(folder, u"\\\\?\\C:\\Users\\Ann\\Keyvane");
    EXPECT_EQ(key, InstanceKeyFor(u"c:\\users\\ann\\keyvane", u"")) << "an older copy's key";
    // A short name, a substituted drive and a junction resolve to the same folder.
    for (const auto spelled : {u"C:\\Users\\ANN~1\\Keyvane", u"K:\\", u"C:\\link"})
        EXPECT_EQ(InstanceKeyFor(spelled, u"\\\\?\\C:\\Users\\Ann\\Keyvane"), key);
    EXPECT_EQ(InstanceKeyFor(u"Z:\\kv", u"\\\\?\\UNC\\server\\share\\kv"),
              InstanceKeyFor(u"\\\\server\\share\\kv", u""));
    EXPECT_NE(InstanceKeyFor(u"C:\\a", u""), InstanceKeyFor(u"C:\\b", u""));
}

} // namespace
} // namespace keyvane

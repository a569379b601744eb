// What a dropped file becomes: the reading of Internet shortcuts, the
// destination a shortcut's target and arguments make, and the road from a
// path to the editor's fields, with a fake of the shell's link reader.
#include "app/DroppedFile.h"

#include "TestFiles.h"
#include "base/Text.h"

#include <gtest/gtest.h>

#include <map>

namespace keyvane {
namespace {

// With its byte order mark, and an odd last byte that must not count.
std::string Utf16Le(std::u16string_view text) {
    std::string bytes = "\xFF\xFE";
    for (char16_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    return bytes + "\x5B";
}

void WriteText(const std::filesystem::path& path, std::string_view text) {
    test::WriteBytes(path, std::vector<std::uint8_t>(text.begin(), text.end()));
}

TEST(InternetShortcutAddress, ReadsTheUrlOfItsSectionInAnyEncoding) {
    const struct {
        std::string bytes;
        std::u16string address;
    } cases[] = {
        {"[InternetShortcut]\r\nURL=https://example.org/a?b=c\r\n", u"https://example.org/a?b=c"},
        // Letter case and blanks around section, key and value; LF alone.
        {"[Other]\nURL=wrong\n [ internetshortcut ] \n  url =  http://x.test/ \nURL=second\n",
         u"http://x.test/"},
        {"[InternetShortcut.W]\r\nURL=wrong\r\n[DEFAULT]\r\nBASEURL=x\r\n", u""},
        {"URL=http://outside.test/\r\n[InternetShortcut]\r\nIconIndex=0\r\n", u""},
        {"[InternetShortcut]\r\nURL=\r\n", u""},
        // Quotes around the whole value are dropped, as the system drops them.
        {"[InternetShortcut]\r\nURL= \"http://q.test/a b\" \r\n", u"http://q.test/a b"},
        {"[InternetShortcut]\r\nURL='http://q.test/'\r\n", u"http://q.test/"},
        {"[InternetShortcut]\r\nURL=\"http://q.test/'\r\n", u"\"http://q.test/'"},
        {"[InternetShortcut\r\nURL=http://unclosed.test/\r\n", u""},
        {"\xEF\xBB\xBF[InternetShortcut]\r\nURL=http://caf\xC3\xA9.test/\r\n",
         u"http://caf\u00E9.test/"},
        // Not UTF-8: the system's code page (Latin-1 natively).
        {"[InternetShortcut]\r\nURL=http://caf\xE9.test/\r\n", u"http://caf\u00E9.test/"},
        {Utf16Le(u"[InternetShortcut]\r\nURL=http://\u65E5\u672C.test/\r\n"),
         u"http://\u65E5\u672C.test/"},
        {"", u""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(InternetShortcutAddress(c.bytes), c.address) << c.bytes;
}

TEST(TaskForShortcut, TargetAndArgumentsOnlyWhereTheDestinationCarriesThem) {
    const std::u16string lnk = u"C:\\Users\\u\\Desktop\\Tool.lnk";
    const struct {
        ShortcutLink link;
        std::u16string destination;
        std::u16string runType;
    } cases[] = {
        {{u"C:\\Program Files\\Tool\\tool.exe", u"-min --x", u"", 1},
         u"C:\\Program Files\\Tool\\tool.exe -min --x",
         u"Normal"},
        {{u"C:\\Tools\\tool.exe", u"", u"c:\\tools\\", 3}, u"C:\\Tools\\tool.exe", u"Maximize"},
        {{u"C:\\tool.exe", u"", u"C:\\", 7}, u"C:\\tool.exe", u"Minimze"},
        {{u"D:\\Notes\\todo.txt", u"", u"", 1}, u"D:\\Notes\\todo.txt", u"Normal"},
        // The dispatcher would cut these arguments at their own ".exe ".
        {{u"C:\\Tools\\tool.exe", u"C:\\other.exe now", u"", 1}, lnk, u"Normal"},
        // A script's arguments: no split without .exe, .bat or .com.
        {{u"C:\\Tools\\run.cmd", u"fast", u"", 1}, lnk, u"Normal"},
        // It must start elsewhere than its own folder: only the shortcut can.
        {{u"C:\\Tools\\tool.exe", u"", u"D:\\Work", 1}, lnk, u"Normal"},
        // A shell item (Control Panel, a printer): no file target.
        {{u"", u"", u"", 1}, lnk, u"Normal"},
    };
    for (const auto& c : cases) {
        const TaskFields fields = TaskForShortcut(lnk, c.link);
        EXPECT_EQ(fields.action, Action::RunSelectedProgram);
        EXPECT_EQ(fields.destination, c.destination) << ToUtf8(c.link.target);
        EXPECT_EQ(fields.runType, c.runType) << ToUtf8(c.link.target);
    }
    EXPECT_EQ(TaskForShortcut(lnk, std::nullopt).destination, lnk) << "unreadable";
}

class FakeShortcuts final : public ShortcutResolver {
  public:
    std::map<std::u16string, ShortcutLink> links;
    std::vector<std::u16string> asked;
    std::optional<ShortcutLink> Resolve(const std::u16string& path) override {
        asked.push_back(path);
        const auto found = links.find(path);
        if (found == links.end()) return std::nullopt;
        return found->second;
    }
};

TEST(TaskForDroppedFile, ProgramsShortcutsAndInternetShortcutsEachBecomeTheirTask) {
    test::TempFolder dir;
    FakeShortcuts shortcuts;
    shortcuts.links[u"C:\\x\\Editor.LNK"] = {u"C:\\Apps\\editor.exe", u"-n", u"", 1};
    const std::u16string url = test::U16Path(dir / "Site.URL");
    WriteText(dir / "Site.URL", "[InternetShortcut]\r\nURL=https://example.org/\r\n");
    const std::u16string empty = test::U16Path(dir / "empty.url");
    WriteText(dir / "empty.url", "[InternetShortcut]\r\n");

    const DroppedTask program = TaskForDroppedFile(u"C:\\Apps\\tool.exe", shortcuts);
    ASSERT_TRUE(program.fields);
    EXPECT_EQ(program.fields->action, Action::RunSelectedProgram);
    EXPECT_EQ(program.fields->destination, u"C:\\Apps\\tool.exe");
    EXPECT_EQ(program.fields->hotKey, 0u) << "a new task starts without a hotkey";

    const DroppedTask link = TaskForDroppedFile(u"C:\\x\\Editor.LNK", shortcuts);
    ASSERT_TRUE(link.fields);
    EXPECT_EQ(link.fields->destination, u"C:\\Apps\\editor.exe -n");
    EXPECT_EQ(shortcuts.asked, std::vector<std::u16string>{u"C:\\x\\Editor.LNK"})
        << "only shortcuts go to the shell's reader";

    const DroppedTask site = TaskForDroppedFile(url, shortcuts);
    ASSERT_TRUE(site.fields);
    EXPECT_EQ(site.fields->action, Action::OpenWebsite);
    EXPECT_EQ(site.fields->destination, u"https://example.org/");
    EXPECT_EQ(site.fields->runType, u"Normal");

    const DroppedTask none = TaskForDroppedFile(empty, shortcuts);
    EXPECT_FALSE(none.fields);
    EXPECT_NE(none.refusal.find(empty), std::u16string::npos) << "names the file";
    const DroppedTask missing = TaskForDroppedFile(test::U16Path(dir / "gone.url"), shortcuts);
    EXPECT_FALSE(missing.fields);
    EXPECT_FALSE(missing.refusal.empty());
}

} // namespace
} // namespace keyvane

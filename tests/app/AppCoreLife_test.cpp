// The core's start and end: a list another program holds, damaged option
// files, and what is saved before the session ends or the program exits.
#include "CoreFixture.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#endif

namespace keyvane {
namespace {

using test::AppCoreTest;
using test::kCtrlAlt;

// The main window as the option files see it; onRead runs when a save reads
// the options.
struct FakeOptionsWindow final : OptionsWindow {
    std::function<void()> onRead;
    void SetAutoStartOption(bool) override {}
    void SetTrayOnlyOption(bool) override {}
    void SetColumnWidth(int, int) override {}
    void SetPauseHotKey(HotKeyCode) override {}
    void SetPauseFullScreenOption(bool) override {}
    void ShowMainWindow() override {}
    void SetWindowWidth(int) override {}
    void SetWindowHeight(int) override {}
    void MaximizeWindow() override {}
    void MoveWindowTo(int, int) override {}
    SettingsValues CurrentOptions() const override {
        if (onRead) onRead();
        return {};
    }
    WindowSizeValues CurrentWindowSize() const override { return {}; }
    int Dpi() const override { return kDesignDpi; }
    void KeepReachable() override {}
};

struct NoAutostart final : AutostartStore {
    void WriteRunValue(std::u16string_view) override {}
};

std::unique_ptr<OptionFiles> OptionFilesIn(const std::filesystem::path& dir) {
    return std::make_unique<OptionFiles>(test::U16Path(dir / "keyvane.exe"),
                                         std::make_unique<NoAutostart>());
}

// A file that exists but cannot be opened, as a list another program holds
// locked: on Windows one opened without sharing, natively a socket, which
// refuses open() even to root.
#ifdef _WIN32
struct UnopenableFile {
    explicit UnopenableFile(const std::filesystem::path& path) {
        test::WriteBytes(path, {'x'});
        handle = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_NE(handle, INVALID_HANDLE_VALUE);
    }
    ~UnopenableFile() { Release(); }
    void Release() {
        if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
        handle = INVALID_HANDLE_VALUE;
    }
    HANDLE handle = INVALID_HANDLE_VALUE;
};
#else
struct UnopenableFile {
    explicit UnopenableFile(const std::filesystem::path& path) : path(path) {
        fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
        EXPECT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    }
    ~UnopenableFile() { ::close(fd); }
    void Release() { std::filesystem::remove(path); }
    std::filesystem::path path;
    int fd = -1;
};
#endif

TEST_F(AppCoreTest, APowerOffFindsTheTasksAndThenTheOptionsSaved) {
    std::vector<std::string> steps;
    core.setOptionFiles(OptionFilesIn(dir.path()));
    FakeOptionsWindow window;
    core.AttachOptionsWindow(&window);
    window.onRead = [&] { steps.push_back(Saved() ? "options after tasks" : "options"); };
    auto actions = std::make_unique<test::CoreActions>();
    actions->request = [&] { steps.push_back(Saved() ? "request after tasks" : "request"); };
    core.setActions(std::move(actions));
    test::AppendRow(core.tasks(), {u"Power off computer", u"Ctrl+Alt+1", u""});
    core.RegisterAllTaskHotKeys();
    Press(kCtrlBit | kAltBit | '1');
    EXPECT_EQ(steps, (std::vector<std::string>{"options after tasks", "request after tasks"}));
}

TEST(AppCoreLife, ALockedListIsNeverOverwrittenAndIsMergedOnceItCanBeRead) {
    test::FakeLayout layout;
    test::TempFolder dir;
    std::filesystem::create_directories(dir / "data");
    const auto file = dir / "data" / "actions.cfg";
    // Leftovers of saves killed before their last step; not ours to keep.
    test::WriteBytes(dir / "data" / "actions.cfg.4242.tmp", {1});
    test::WriteBytes(dir / "data" / "actions.cfg.x.tmp", {1});
    UnopenableFile locked(file);
    test::SystemState state;
    AppCore core(test::U16Path(file), layout.names,
                 std::make_unique<test::FakeHotKeySystem>(state));
    EXPECT_THROW(core.SaveTaskList(), IoError) << "nothing is saved before the load";
    core.Start();
    EXPECT_FALSE(std::filesystem::exists(dir / "data" / "actions.cfg.4242.tmp"));
    EXPECT_TRUE(std::filesystem::exists(dir / "data" / "actions.cfg.x.tmp")) << "not our name";

    // A damaged option file: told first, and left as it is.
    test::WriteBytes(dir / "data" / "settings.cnfg", {'x'});
    core.setOptionFiles(OptionFilesIn(dir.path()));
    FakeOptionsWindow window;
    core.AttachOptionsWindow(&window);
    EXPECT_NO_THROW(core.ReapplyWindowSize()) << "no window-size file is no error";
    const auto reports = core.TakeStartupReports();
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_NE(reports[0].find(u"'x'"), std::u16string::npos) << "the option files' come first";
    EXPECT_NO_THROW(core.LoadOptionsOnFirstActivation()) << "told once per start";
    EXPECT_EQ(std::filesystem::file_size(dir / "data" / "settings.cnfg"), 1u) << "not written";
    EXPECT_NE(reports[1].find(u"left as it is"), std::u16string::npos);
    EXPECT_TRUE(core.TakeStartupReports().empty()) << "told once";

    // While it is held, saves fail and the file stays as it is; with no task
    // made meanwhile there is nothing to keep, so an exit is not held up.
    EXPECT_NO_THROW(core.SaveLastTime());
    test::AppendRow(core.tasks(), {u"Run Notepad", u"Ctrl+Alt+N", u"new"});
    EXPECT_THROW(core.SaveLastTime(), IoError) << "a task made meanwhile is not dropped";
    EXPECT_TRUE(std::filesystem::exists(file));
    EXPECT_FALSE(std::filesystem::exists(dir / "data" / "actions.cfg.bak"));

    // Released: the file's tasks come first, the new one after, and the
    // file's hotkeys are registered.
    locked.Release();
    test::WriteBytes(file, {'1', ',', 'R', 'u', 'n', ' ', 'C', 'a', 'l', 'c', ',', 'C', 't',
                            'r', 'l', '+', 'A', 'l', 't', '+', '1', ',', 'o', 'l', 'd'});
    core.SaveTaskList();
    ASSERT_EQ(core.tasks().taskCount(), 2);
    EXPECT_EQ(core.tasks().cellText(Column::Dest, 0), u"old");
    EXPECT_EQ(core.tasks().cellText(Column::Dest, 1), u"new");
    EXPECT_TRUE(state.Held().count({kCtrlAlt, '1'}));
    core.Exit();
    EXPECT_TRUE(state.Held().empty()) << "exit gives every hotkey back";
}

} // namespace
} // namespace keyvane

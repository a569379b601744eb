#include "app/options/Settings.h"

#include "TestFiles.h"
#include "base/Errors.h"
#include "base/Text.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace keyvane {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes B(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

// Keeps what a main window would show and logs each call in order.
class FakeWindow : public SettingsTarget {
  public:
    void SetAutoStartOption(bool set) override {
        settings.autoStart = set;
        Log("auto=" + std::to_string(set));
    }
    void SetTrayOnlyOption(bool set) override {
        settings.trayOnly = set;
        Log("tray=" + std::to_string(set));
    }
    void SetColumnWidth(int column, int width) override {
        settings.columnWidths.at(static_cast<std::size_t>(column)) = width;
        Log("col" + std::to_string(column) + "=" + std::to_string(width));
    }
    void SetPauseHotKey(HotKeyCode code) override {
        settings.pauseHotKey = code;
        Log("pause=" + std::to_string(code));
    }
    void SetPauseFullScreenOption(bool set) override {
        settings.pauseFullScreen = set;
        if (set) Log("full");
    }
    void ShowMainWindow() override { Log("show"); }
    void SetWindowWidth(int width) override {
        window.width = width;
        Log("w=" + std::to_string(width));
    }
    void SetWindowHeight(int height) override {
        window.height = height;
        Log("h=" + std::to_string(height));
    }
    void MaximizeWindow() override {
        window.state = WindowState::Maximized;
        Log("max");
    }
    void MoveWindowTo(int left, int top) override {
        Log("move=" + std::to_string(left) + "," + std::to_string(top));
        if (failMove) throw std::runtime_error("SetWindowPos failed");
        window.left = left;
        window.top = top;
    }

    void Log(const std::string& call) { log += (log.empty() ? "" : " ") + call; }

    SettingsValues settings{false, false, {0, 0, 0, 0}};
    WindowSizeValues window{0, 0, WindowState::Normal, 0, 0};
    std::string log;
    bool failMove = false;
};

struct LoadCase {
    std::string_view file;
    std::string log;   // the calls, in order
    std::string error; // empty: no error
};

void Check(std::span<const LoadCase> cases, void (*apply)(const Bytes&, FakeWindow&)) {
    for (const LoadCase& c : cases) {
        FakeWindow window;
        std::string error;
        try {
            apply(B(c.file), window);
        } catch (const SettingsError& e) {
            error = e.what();
        }
        EXPECT_EQ(window.log, c.log) << c.file;
        EXPECT_EQ(error, c.error) << c.file;
    }
}

TEST(Settings, SettingsFileAppliesLineByLineAndStopsAtTheFirstBadLine) {
    const LoadCase cases[] = {
        {"True\r\nfalse\r\n10\r\n20\r\n30\r\n40\r\n",
         "auto=1 tray=0 col0=10 col1=20 col2=30 col3=40 show", ""},
        // LF and CR alone end lines too; no break after the last line; extra lines ignored.
        {"-1\n1\n27\n104\n105\n211", "auto=1 tray=1 col0=27 col1=104 col2=105 col3=211", ""},
        {"0\r00\r-2147483648\r2147483647\r+5\r0\rjunk\r",
         "auto=0 tray=0 col0=-2147483648 col1=2147483647 col2=5 col3=0 show", ""},
        {"TRUE\r\nFaLsE\r\n1\r\n2\r\n3\r\n4\r\n", "auto=1 tray=0 col0=1 col1=2 col2=3 col3=4 show",
         ""},
        {"99999999999999999999\r\n-0\r\n1\r\n2\r\n3\r\n4\r\n",
         "auto=1 tray=0 col0=1 col1=2 col2=3 col3=4 show", ""},
        // Five lines: both options and three widths, then the index error.
        {"-1\r\n-1\r\n1\r\n2\r\n3\r\n", "auto=1 tray=1 col0=1 col1=2 col2=3",
         "List index out of bounds (5)"},
        {"", "", "List index out of bounds (0)"},
        {"\r\n", "", "'' is not a valid boolean value"},
        {"yes\r\n", "", "'yes' is not a valid boolean value"},
        {"-1\r\n\xC9t\xE9\r\n", "auto=1", "'\xC3\x89t\xC3\xA9' is not a valid boolean value"},
        // A zero byte must not cut the message short.
        {std::string_view("0\r\n1\0z\r\n", 8), "auto=0",
         "'1\xEF\xBF\xBDz' is not a valid boolean value"},
        {"-1\r\n0\r\n27\r\n1.5\r\n", "auto=1 tray=0 col0=27", "'1.5' is not a valid integer value"},
        {"-1\r\n0\r\n2147483648\r\n", "auto=1 tray=0", "'2147483648' is not a valid integer value"},
        {"-1\r\n0\r\n 27\r\n", "auto=1 tray=0", "' 27' is not a valid integer value"},
        {"-1\r\n0\r\n-\r\n", "auto=1 tray=0", "'-' is not a valid integer value"},
        // The pause hotkey's line: a code, or left alone as older versions do.
        {"0\r\n0\r\n1\r\n2\r\n3\r\n4\r\n49232\r\n",
         "auto=0 tray=0 col0=1 col1=2 col2=3 col3=4 pause=49232 show", ""},
        {"-1\r\n-1\r\n1\r\n2\r\n3\r\n4\r\n0\r\nlater\r\n",
         "auto=1 tray=1 col0=1 col1=2 col2=3 col3=4 pause=0", ""},
        {"-1\r\n-1\r\n1\r\n2\r\n3\r\n4\r\n-80\r\n", "auto=1 tray=1 col0=1 col1=2 col2=3 col3=4",
         ""},
        {"-1\r\n-1\r\n1\r\n2\r\n3\r\n4\r\n16384\r\n", "auto=1 tray=1 col0=1 col1=2 col2=3 col3=4",
         ""},
        {"-1\r\n-1\r\n1\r\n2\r\n3\r\n4\r\n8388688\r\n", "auto=1 tray=1 col0=1 col1=2 col2=3 col3=4",
         ""},
        // Line 8 sets the full-screen pause only as this version writes it.
        {"-1\r\n-1\r\n1\r\n2\r\n3\r\n4\r\n0\r\n-1\r\n",
         "auto=1 tray=1 col0=1 col1=2 col2=3 col3=4 pause=0 full", ""},
        {"-1\r\n-1\r\n1\r\n2\r\n3\r\n4\r\n0\r\n1\r\n",
         "auto=1 tray=1 col0=1 col1=2 col2=3 col3=4 pause=0", ""},
    };
    Check(cases, [](const Bytes& b, FakeWindow& w) { ApplySettingsFile(b, w); });
}

TEST(Settings, WindowSizeFileMaximizesOnlyOnTwoAndGuardsThePosition) {
    const LoadCase cases[] = {
        {"800\r\n600\r\n2\r\n-1928\r\n-8\r\n", "w=800 h=600 max move=-1928,-8", ""},
        // "1" (minimized) and anything but exactly "2" leave the state.
        {"800\r\n600\r\n1\r\n10\r\n20\r\n", "w=800 h=600 move=10,20", ""},
        {"800\r\n600\r\n 2\r\n10\r\n20\r\n", "w=800 h=600 move=10,20", ""},
        // A missing or malformed position keeps the position, silently.
        {"800\r\n600\r\n2\r\n10\r\n", "w=800 h=600 max", ""},
        {"800\r\n600\r\n2", "w=800 h=600 max", ""},
        {"800\r\n600\r\n0\r\nleft\r\n5\r\n", "w=800 h=600", ""},
        {"800\r\n600\r\n0\r\n5\r\ntop\r\n", "w=800 h=600", ""},
        {"800\r\n600\r\n", "w=800 h=600", "List index out of bounds (2)"},
        {"800\r\nwide\r\n2\r\n", "w=800", "'wide' is not a valid integer value"},
    };
    Check(cases, [](const Bytes& b, FakeWindow& w) { ApplyWindowSizeFile(b, w); });
    Check(std::span(cases, 1), [](const Bytes& b, FakeWindow& w) {
        w.failMove = true; // the failure of the guarded step reaches nobody
        ApplyWindowSizeFile(b, w);
    });
    const LoadCase tray[] = {{"800\r\n600\r\n2\r\n10\r\n20\r\n", "w=800 h=600 max", ""}};
    Check(tray, [](const Bytes& b, FakeWindow& w) { ApplyWindowSizeFile(b, w, false); });
}

TEST(Settings, WordsLoadAsFlagsAndAreWrittenBackAsNumbers) {
    FakeWindow window;
    ApplySettingsFile(B("True\r\nfalse\r\n27\r\n104\r\n105\r\n211\r\n"), window);
    EXPECT_EQ(EncodeSettingsFile(window.settings),
              B("-1\r\n0\r\n27\r\n104\r\n105\r\n211\r\n0\r\n"));

    const WindowSizeValues maximized{1280, 1010, WindowState::Maximized, -8, -8};
    const Bytes written = EncodeWindowSizeFile(maximized);
    EXPECT_EQ(written, B("1280\r\n1010\r\n2\r\n-8\r\n-8\r\n"));
    ApplyWindowSizeFile(written, window);
    EXPECT_EQ(EncodeWindowSizeFile(window.window), written);
    EXPECT_EQ(EncodeWindowSizeFile({609, 449, WindowState::Minimized, 0, 0}),
              B("609\r\n449\r\n1\r\n0\r\n0\r\n"));
}

TEST(Settings, MissingFilesAreAFirstStartAndEachFileIsJudgedAlone) {
    test::TempFolder dir;
    const SettingsPaths paths{test::U16Path(dir / "settings.cnfg"),
                              test::U16Path(dir / "w_size.cnfg")};
    const std::string designed = "auto=1 tray=1 col0=44 col1=104 col2=105 col3=211 show";

    FakeWindow first;
    LoadSettingsOutcome outcome = LoadSettings(paths, first);
    EXPECT_TRUE(outcome.settingsFileMissing && outcome.windowSizeFileMissing);
    EXPECT_EQ(first.log, designed);
    // At 150% the designed columns are as wide on screen as at 100%.
    FakeWindow scaled;
    LoadSettings(paths, scaled, 144);
    EXPECT_EQ(scaled.log, "auto=1 tray=1 col0=66 col1=156 col2=158 col3=317 show");

    test::WriteBytes(dir / "w_size.cnfg", B("700\r\n500\r\n0\r\n3\r\n4\r\n"));
    FakeWindow sizeOnly;
    outcome = LoadSettings(paths, sizeOnly);
    EXPECT_TRUE(outcome.settingsFileMissing && !outcome.windowSizeFileMissing);
    EXPECT_EQ(sizeOnly.log, designed + " w=700 h=500 move=3,4");

    // A settings file with too few lines stops the load: the window size is not read.
    test::WriteBytes(dir / "settings.cnfg", B("-1\r\n-1\r\n1\r\n2\r\n3\r\n"));
    FakeWindow shortFile;
    EXPECT_THROW(
        {
            try {
                LoadSettings(paths, shortFile);
            } catch (const SettingsError& e) {
                EXPECT_STREQ(e.what(), "List index out of bounds (5)");
                throw;
            }
        },
        SettingsError);
    EXPECT_EQ(shortFile.log, "auto=1 tray=1 col0=1 col1=2 col2=3");

    // Every line reaches the window through the load's scaling, the eighth too.
    test::WriteBytes(dir / "settings.cnfg", B("-1\r\n-1\r\n1\r\n2\r\n3\r\n4\r\n0\r\n-1\r\n"));
    std::filesystem::remove(dir / "w_size.cnfg");
    FakeWindow noSize;
    outcome = LoadSettings(paths, noSize);
    EXPECT_TRUE(!outcome.settingsFileMissing && outcome.windowSizeFileMissing);
    EXPECT_EQ(noSize.log, "auto=1 tray=1 col0=1 col1=2 col2=3 col3=4 pause=0 full");

    FakeWindow tray;
    EXPECT_FALSE(ReapplyWindowSize(paths.windowSizeFile, tray));
    EXPECT_EQ(tray.log, "");
}

TEST(Settings, AHugeLineIsQuotedShortAndAHugeFileIsNotRead) {
    // One damaged line of megabytes once took minutes to quote in full.
    FakeWindow window;
    const std::string line(5000, 'x');
    try {
        ApplySettingsFile(Bytes(line.begin(), line.end()), window);
        FAIL() << "a line of x loads";
    } catch (const SettingsError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "'" + line.substr(0, 100) + "...' is not a valid boolean value");
    }
    test::TempFolder dir;
    test::WriteBytes(dir / "settings.cnfg", Bytes(64 * 1024 + 1, '1'));
    const std::u16string path = test::U16Path(dir / "settings.cnfg");
    try {
        LoadSettings({path, path}, window);
        FAIL() << "a huge file loads";
    } catch (const IoError& e) {
        // Said in the program's words: the system's text for the code is
        // about saving, and Wine has none (a bare "Error 223").
        const std::string text = e.what();
        EXPECT_NE(text.find("larger than Keyvane reads (64 KB)"), std::string::npos) << text;
        EXPECT_EQ(text.find("Error 223"), std::string::npos) << text;
    }
}

TEST(Settings, FileThatCannotBeReadNamesItselfAndTheReason) {
#ifdef _WIN32
    GTEST_SKIP() << "a device behind a file name is a native stand-in";
#endif
    test::TempFolder dir;
    // A device is no file the reader takes; as root, permissions would not stop it.
    std::filesystem::create_symlink("/dev/null", dir / "settings.cnfg");
    const std::u16string path = test::U16Path(dir / "settings.cnfg");
    FakeWindow window;
    try {
        LoadSettings({path, path}, window);
        FAIL() << "an unreadable file loads";
    } catch (const IoError& e) {
        const std::string prefix =
            "Cannot open file \"" + (dir / "settings.cnfg").string() + "\". ";
        EXPECT_EQ(std::string(e.what()).substr(0, prefix.size()), prefix);
        EXPECT_GT(std::string(e.what()).size(), prefix.size()) << "the reason follows";
    }
    EXPECT_EQ(window.log, "");
}

class FakeAutostart : public AutostartStore {
  public:
    void WriteRunValue(std::u16string_view data) override {
        if (fail) throw std::runtime_error("RegSetValueExW: Access is denied.");
        value = data;
        ++writes;
    }
    std::u16string value = u"(none)";
    int writes = 0;
    bool fail = false;
};

TEST(Settings, AutostartValueIsThePathQuotedWhenItHoldsABlankAndEmptyWhenCleared) {
    const struct {
        bool set;
        std::u16string_view exe;
        std::u16string_view value;
    } cases[] = {
        {true, u"C:\\Keyvane\\keyvane.exe", u"C:\\Keyvane\\keyvane.exe"},
        {true, u"C:\\Program Files\\Keyvane\\keyvane.exe",
         u"\"C:\\Program Files\\Keyvane\\keyvane.exe\""},
        {false, u"C:\\Program Files\\Keyvane\\keyvane.exe", u""},
        {false, u"C:\\Keyvane\\keyvane.exe", u""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AutostartRunValue(c.set, c.exe), c.value);
}

TEST(Settings, SaveWritesTheValueAndBothFilesAndTellsWhatItCouldNotKeep) {
    test::TempFolder dir;
    std::filesystem::create_directory(dir / "My Tools");
    const SettingsPaths paths = SettingsPathsFor(test::U16Path(dir / "My Tools" / "keyvane.exe"));
    const SettingsValues settings{false, true, {30, 100, 110, 200}};
    const WindowSizeValues size{640, 480, WindowState::Normal, -3, 12};
    FakeAutostart run;

    // The data folder is the task list's to make: without it only the Run
    // value is written, and the save says so.
    SaveSettingsResult saved = SaveSettings(settings, size, paths, run, u"C:\\kv.exe");
    EXPECT_FALSE(saved.settingsFileError.empty());
    EXPECT_FALSE(std::filesystem::exists(dir / "My Tools" / "data"));
    std::filesystem::create_directory(dir / "My Tools" / "data");
    saved = SaveSettings(settings, size, paths, run, u"C:\\kv.exe");
    EXPECT_TRUE(saved.AllKept());
    EXPECT_EQ(SaveSettingsReportText(saved), u"");
    EXPECT_EQ(run.value, u"") << "a cleared option writes an empty value, never none";
    EXPECT_EQ(test::ReadBytes(dir / "My Tools" / "data" / "settings.cnfg"),
              B("0\r\n-1\r\n30\r\n100\r\n110\r\n200\r\n0\r\n"));
    EXPECT_EQ(test::ReadBytes(dir / "My Tools" / "data" / "w_size.cnfg"),
              B("640\r\n480\r\n0\r\n-3\r\n12\r\n"));

    // At 150% the columns and the window are shown half as wide again, and
    // the save keeps the files as a save at 100% wrote them.
    FakeWindow scaled;
    LoadSettings(paths, scaled, 144);
    EXPECT_EQ(scaled.log,
              "auto=0 tray=1 col0=45 col1=150 col2=165 col3=300 pause=0 w=960 h=720 move=-3,12");
    EXPECT_TRUE(
        SaveSettings(scaled.settings, scaled.window, paths, run, u"C:\\kv.exe", 144).AllKept());
    EXPECT_EQ(test::ReadBytes(dir / "My Tools" / "data" / "settings.cnfg"),
              B("0\r\n-1\r\n30\r\n100\r\n110\r\n200\r\n0\r\n"));
    EXPECT_EQ(test::ReadBytes(dir / "My Tools" / "data" / "w_size.cnfg"),
              B("640\r\n480\r\n0\r\n-3\r\n12\r\n"));

    // Nothing can be kept: a file stands where the data folder should be.
    test::TempFolder blocked;
    test::WriteBytes(blocked / "data", {1});
    run.fail = true;
    saved = SaveSettings(settings, size, SettingsPathsFor(test::U16Path(blocked / "kv.exe")), run,
                         u"C:\\kv.exe");
    EXPECT_FALSE(saved.settingsFileError.empty());
    EXPECT_FALSE(saved.windowSizeFileError.empty());
    const std::u16string report = SaveSettingsReportText(saved);
    for (const char16_t* part :
         {u"settings.cnfg", u"w_size.cnfg", u"\"Keyvane\"", u"Access is denied."})
        EXPECT_NE(report.find(part), std::u16string::npos) << ToUtf8(part);
}

TEST(Settings, WindowIsKeptReachable) {
    const ScreenRect screens[] = {{0, 0, 1920, 1040}, {1920, 0, 3200, 1024}};
    const struct {
        ScreenRect window;
        ScreenRect kept;
    } cases[] = {
        {{100, 100, 709, 549}, {100, 100, 709, 549}},
        {{-1928, -8, -1000, 500}, {0, 0, 928, 508}},         // a monitor that is gone
        {{5000, 200, 5600, 600}, {2600, 200, 3200, 600}},    // right of the second
        {{3000, 2000, 3100, 2010}, {3000, 824, 3200, 1024}}, // too small, below the second
        {{1900, 10, 2500, 400}, {1900, 10, 2500, 400}},      // across both: left alone
        {{-99999, -99999, -99000, -99000}, {0, 0, 999, 999}},
        {{-2147483647 - 1, 0, 2147483647, 10}, {-2147483647 - 1, 0, 2147483647, 200}},
    };
    for (const auto& c : cases) {
        const ScreenRect kept = KeptReachable(c.window, screens, 200, 200);
        EXPECT_EQ(kept, c.kept) << kept.left << "," << kept.top << "," << kept.right << ","
                                << kept.bottom;
    }
    // A work area too small for the least window (an empty one, a strip) is
    // no screen: the window stays where a real one has it.
    const ScreenRect strips[] = {{0, 0, 1600, 0}, {0, 0, 1600, 30}};
    EXPECT_EQ(KeptReachable({40, 30, 740, 530}, strips, 200, 200), (ScreenRect{40, 30, 740, 530}));
    const ScreenRect withReal[] = {{0, 0, 1600, 30}, {0, 0, 1600, 1170}};
    EXPECT_EQ(KeptReachable({40, 30, 740, 530}, withReal, 200, 200),
              (ScreenRect{40, 30, 740, 530}));
    EXPECT_EQ(KeptReachable({5000, 30, 5700, 530}, withReal, 200, 200),
              (ScreenRect{900, 30, 1600, 530}));
}

TEST(SettingsFile, PauseFullScreenIsTheEighthLineAndOlderFilesLeaveItOff) {
    struct Window : FakeWindow {
        int pause = -1;
        void SetPauseFullScreenOption(bool set) override { pause = set; }
    };
    SettingsValues values;
    const std::string classic = "-1\r\n-1\r\n44\r\n104\r\n105\r\n211\r\n";
    const auto asText = [](const std::vector<std::uint8_t>& b) {
        return std::string(b.begin(), b.end());
    };
    EXPECT_EQ(asText(EncodeSettingsFile(values)), classic + "0\r\n") << "off: no eighth line";
    values.pauseFullScreen = true;
    EXPECT_EQ(asText(EncodeSettingsFile(values)), classic + "0\r\n-1\r\n");
    const std::pair<std::string, int> files[] = {
        {classic + "0\r\n-1\r\n", 1},
        {classic, 0},
        {classic + "24641\r\n", 0}, // seven lines: the pause hotkey alone
        {classic + "24641\r\n-1", 1},
        {classic + "\r\nyes\r\n", 0}, // another version's: off, and the load goes on
    };
    for (const auto& [file, want] : files) {
        Window window;
        ApplySettingsFile(std::vector<std::uint8_t>(file.begin(), file.end()), window);
        EXPECT_EQ(window.pause, want) << file;
        EXPECT_EQ(window.settings.columnWidths[3], 211) << file;
    }
}

} // namespace
} // namespace keyvane

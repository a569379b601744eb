// The minimize-all toggle: the shared flag, errors from the shell, and the
// direct fallback where the shell cannot do it.
#include "actions/MinimizeAll.h"

#include "base/ErrorReport.h"

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace keyvane {
namespace {

// Result codes by value, as the system defines them.
constexpr std::uint32_t kOk = 0, kFalse = 1;
constexpr std::uint32_t kNotImplemented = 0x80004001, kNoInterface = 0x80004002,
                        kClassNotAvailable = 0x80040111, kClassNotRegistered = 0x80040154;
constexpr std::uint32_t kFail = 0x80004005, kAccessDenied = 0x80070005, kOutOfMemory = 0x8007000E,
                        kDisconnected = 0x80010108, kNotInitialized = 0x800401F0,
                        kUnexpected = 0x8000FFFF;

class FakeShell : public DesktopShell {
  public:
    std::uint32_t minimizeCode = kOk;
    std::uint32_t undoCode = kOk;
    std::vector<std::string>* log = nullptr;

    void AnswerAll(std::uint32_t code) { minimizeCode = undoCode = code; }

    ShellResult MinimizeAll() override {
        log->push_back("shell minimize");
        return {minimizeCode, "Shell.Minimize"};
    }
    ShellResult UndoMinimizeAll() override {
        log->push_back("shell undo");
        return {undoCode, "Shell.Undo"};
    }
};

// A desktop that keeps each window's state, so minimizing and restoring can
// be checked on the windows themselves.
class FakeWindows : public DesktopWindows {
  public:
    std::vector<DesktopWindow> windows;
    std::vector<std::string>* log = nullptr;

    std::vector<DesktopWindow> TopLevelWindows() override { return windows; }
    void Minimize(WindowId id) override {
        log->push_back("minimize " + std::to_string(id));
        Find(id)->minimized = true;
    }
    bool IsMinimized(WindowId id) override {
        auto* w = Find(id);
        return w && w->minimized;
    }
    void Restore(WindowId id) override {
        log->push_back("restore " + std::to_string(id));
        Find(id)->minimized = false;
    }
    DesktopWindow* Find(WindowId id) {
        for (auto& w : windows)
            if (w.id == id) return &w;
        return nullptr;
    }
};

struct Desktop {
    std::vector<std::string> log;
    FakeShell* shell;
    FakeWindows* windows;
    MinimizeAllToggle toggle;

    Desktop() : toggle(MakeShell(), MakeWindows()) {}

  private:
    std::unique_ptr<DesktopShell> MakeShell() {
        auto s = std::make_unique<FakeShell>();
        s->log = &log;
        shell = s.get();
        return s;
    }
    std::unique_ptr<DesktopWindows> MakeWindows() {
        auto w = std::make_unique<FakeWindows>();
        w->log = &log;
        windows = w.get();
        return w;
    }
};

TEST(MinimizeAllToggle, AlternatesThroughTheShell) {
    Desktop d;
    EXPECT_FALSE(d.toggle.AllMinimized());
    d.toggle.Toggle();
    EXPECT_TRUE(d.toggle.AllMinimized());
    d.toggle.Toggle();
    EXPECT_FALSE(d.toggle.AllMinimized());
    d.toggle.Toggle();
    EXPECT_EQ(d.log, (std::vector<std::string>{"shell minimize", "shell undo", "shell minimize"}));
}

TEST(MinimizeAllToggle, ShellErrorPropagatesAndKeepsFlag) {
    Desktop d;
    d.shell->AnswerAll(kFail);
    EXPECT_THROW(d.toggle.Toggle(), std::runtime_error);
    EXPECT_FALSE(d.toggle.AllMinimized());

    // A later press tries again, and the one after that restores.
    d.shell->AnswerAll(kOk);
    d.toggle.Toggle();
    EXPECT_TRUE(d.toggle.AllMinimized());
    d.shell->AnswerAll(kFail);
    EXPECT_THROW(d.toggle.Toggle(), std::runtime_error);
    EXPECT_TRUE(d.toggle.AllMinimized());
    EXPECT_EQ(d.log, (std::vector<std::string>{"shell minimize", "shell minimize", "shell undo"}));
}

TEST(MinimizeAllToggle, FallbackMinimizesOnlyVisibleTaskbarWindows) {
    Desktop d;
    d.shell->AnswerAll(kNotImplemented);
    d.windows->windows = {
        {1, true, false, true},  // taken
        {2, false, false, true}, // hidden
        {3, true, true, true},   // already minimized: not ours to restore later
        {4, true, false, false}, // tool window or owned
        {5, true, false, true},  // taken
    };
    d.toggle.Toggle();
    EXPECT_TRUE(d.toggle.AllMinimized());
    EXPECT_EQ(d.log, (std::vector<std::string>{"shell minimize", "minimize 1", "minimize 5"}));

    d.log.clear();
    d.toggle.Toggle();
    EXPECT_FALSE(d.toggle.AllMinimized());
    // Restored bottom first, without asking the shell; window 3 stays down.
    EXPECT_EQ(d.log, (std::vector<std::string>{"restore 5", "restore 1"}));
    EXPECT_TRUE(d.windows->Find(3)->minimized);
}

TEST(MinimizeAllToggle, FallbackRestoreSkipsWindowsClosedOrRestoredMeanwhile) {
    Desktop d;
    d.shell->AnswerAll(kNotImplemented);
    d.windows->windows = {{1, true, false, true}, {2, true, false, true}, {3, true, false, true}};
    d.toggle.Toggle();
    d.windows->windows.erase(d.windows->windows.begin()); // 1 closed
    d.windows->Find(2)->minimized = false;                // 2 restored by hand
    d.log.clear();
    d.toggle.Toggle();
    EXPECT_EQ(d.log, std::vector<std::string>{"restore 3"});
}

TEST(MinimizeAllToggle, NextMinimizeForgetsEarlierFallbackWindows) {
    Desktop d;
    d.shell->AnswerAll(kNotImplemented);
    d.windows->windows = {{1, true, false, true}};
    d.toggle.Toggle(); // minimize 1 by hand
    d.toggle.Toggle(); // restore 1
    d.shell->AnswerAll(kOk);
    d.toggle.Toggle(); // the shell minimizes now
    d.log.clear();
    d.toggle.Toggle();
    EXPECT_EQ(d.log, std::vector<std::string>{"shell undo"});
}

TEST(JudgeShellResult, OnlyMissingOrUnimplementedServiceFallsBack) {
    struct Case {
        std::uint32_t code;
        ShellVerdict verdict;
    } cases[] = {
        {kOk, ShellVerdict::Done},
        {kFalse, ShellVerdict::Done},
        {kNotImplemented, ShellVerdict::Unavailable},
        {kNoInterface, ShellVerdict::Unavailable},
        {kClassNotAvailable, ShellVerdict::Unavailable},
        {kClassNotRegistered, ShellVerdict::Unavailable},
        {kFail, ShellVerdict::Failed},
        {kAccessDenied, ShellVerdict::Failed},
        {kOutOfMemory, ShellVerdict::Failed},
        {kDisconnected, ShellVerdict::Failed},
        {kNotInitialized, ShellVerdict::Failed},
        {kUnexpected, ShellVerdict::Failed},
        // Close neighbours of the fallback codes are failures like any other.
        {0x80004003, ShellVerdict::Failed}, // E_POINTER
        {0x80040150, ShellVerdict::Failed}, // REGDB_E_READREGDB
    };
    for (const auto& c : cases)
        EXPECT_EQ(JudgeShellResult(c.code), c.verdict) << std::hex << c.code;
}

// A press runs the toggle under the error report, as the window does.
std::vector<std::u16string> PressReports(MinimizeAllToggle& toggle) {
    std::vector<std::u16string> reports;
    const ErrorReportSink previous =
        SetErrorReportSink([&](std::u16string_view text) { reports.emplace_back(text); });
    Guarded([&] { toggle.Toggle(); });
    SetErrorReportSink(previous);
    return reports;
}

TEST(MinimizeAllToggle, ShellAnswersDecideBetweenFallbackAndReport) {
    for (std::uint32_t code : {kNotImplemented, kNoInterface, kClassNotAvailable,
                               kClassNotRegistered, kFail, kAccessDenied, kDisconnected}) {
        SCOPED_TRACE(testing::Message() << std::hex << code);
        const bool fallback = JudgeShellResult(code) == ShellVerdict::Unavailable;

        // Minimizing.
        Desktop d;
        d.windows->windows = {{1, true, false, true}};
        d.shell->minimizeCode = code;
        const auto reports = PressReports(d.toggle);
        EXPECT_EQ(d.toggle.AllMinimized(), fallback);
        EXPECT_EQ(d.windows->Find(1)->minimized, fallback);
        if (fallback) {
            EXPECT_TRUE(reports.empty());
        } else {
            ASSERT_EQ(reports.size(), 1u);
            EXPECT_NE(reports[0].find(u"Shell.Minimize failed"), std::u16string::npos);
        }

        // Restoring after the shell minimized: a failed undo keeps the flag,
        // so the next press tries the undo again.
        Desktop r;
        r.windows->windows = {{1, true, true, true}};
        r.toggle.Toggle();
        r.shell->undoCode = code;
        const auto undoReports = PressReports(r.toggle);
        EXPECT_EQ(r.toggle.AllMinimized(), !fallback);
        EXPECT_EQ(undoReports.size(), fallback ? 0u : 1u);
        EXPECT_TRUE(r.windows->Find(1)->minimized) << "only the shell restores what it minimized";
    }
}

TEST(MinimizeAllToggle, UnavailableUndoAfterShellMinimizeStillFlips) {
    Desktop d;
    d.windows->windows = {{1, true, true, true}};
    d.toggle.Toggle(); // the shell minimizes
    d.shell->undoCode = kNotImplemented;
    EXPECT_TRUE(PressReports(d.toggle).empty());
    EXPECT_FALSE(d.toggle.AllMinimized());
    // Nothing was minimized here, so nothing is restored by hand.
    EXPECT_EQ(d.log, (std::vector<std::string>{"shell minimize", "shell undo"}));
    d.toggle.Toggle();
    EXPECT_TRUE(d.toggle.AllMinimized());
    EXPECT_EQ(d.log.back(), "shell minimize");
}

TEST(ShellFailureText, NamesTheCallAndTheCode) {
    const std::string text = ShellFailureText({0x80070005, "IShellDispatch::MinimizeAll"});
    EXPECT_TRUE(text.starts_with("IShellDispatch::MinimizeAll failed")) << text;
    EXPECT_NE(text.find("(0x80070005)."), std::string::npos) << text;
}

TEST(HasTaskbarEntry, FollowsStylesAndOwner) {
    struct Case {
        bool tool, app, owned, entry;
    } cases[] = {
        {false, false, false, true}, {false, false, true, false}, {true, false, false, false},
        {true, true, true, true},    {false, true, true, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(HasTaskbarEntry(c.tool, c.app, c.owned), c.entry) << c.tool << c.app << c.owned;
}

} // namespace
} // namespace keyvane

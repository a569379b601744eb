// The minimize-all toggle: the shared flag, errors from the shell, and the
// direct fallback where the shell cannot do it.
#include "actions/MinimizeAll.h"

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace keyvane {
namespace {

class FakeShell : public DesktopShell {
  public:
    Outcome outcome = Outcome::Done;
    bool fail = false;
    std::vector<std::string>* log = nullptr;

    Outcome MinimizeAll() override { return Call("shell minimize"); }
    Outcome UndoMinimizeAll() override { return Call("shell undo"); }

  private:
    Outcome Call(const char* what) {
        log->push_back(what);
        if (fail) throw std::runtime_error("shell failed");
        return outcome;
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
    d.shell->fail = true;
    EXPECT_THROW(d.toggle.Toggle(), std::runtime_error);
    EXPECT_FALSE(d.toggle.AllMinimized());

    // A later press tries again, and the one after that restores.
    d.shell->fail = false;
    d.toggle.Toggle();
    EXPECT_TRUE(d.toggle.AllMinimized());
    d.shell->fail = true;
    EXPECT_THROW(d.toggle.Toggle(), std::runtime_error);
    EXPECT_TRUE(d.toggle.AllMinimized());
    EXPECT_EQ(d.log, (std::vector<std::string>{"shell minimize", "shell minimize", "shell undo"}));
}

TEST(MinimizeAllToggle, FallbackMinimizesOnlyVisibleTaskbarWindows) {
    Desktop d;
    d.shell->outcome = DesktopShell::Outcome::Unavailable;
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
    d.shell->outcome = DesktopShell::Outcome::Unavailable;
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
    d.shell->outcome = DesktopShell::Outcome::Unavailable;
    d.windows->windows = {{1, true, false, true}};
    d.toggle.Toggle(); // minimize 1 by hand
    d.toggle.Toggle(); // restore 1
    d.shell->outcome = DesktopShell::Outcome::Done;
    d.toggle.Toggle(); // the shell minimizes now
    d.log.clear();
    d.toggle.Toggle();
    EXPECT_EQ(d.log, std::vector<std::string>{"shell undo"});
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

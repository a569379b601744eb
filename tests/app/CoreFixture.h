// The core's tests share one start: a fake of the system's hotkey service,
// the task list in a temporary folder, and one fake of the actions a press
// runs.
#pragma once

#include "app/AppCore.h"

#include "FakeHotKeySystem.h"
#include "FakeKeyNames.h"
#include "TaskRows.h"
#include "TestFiles.h"
#include "base/Text.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace keyvane::test {

// The (flags, key) pairs the fake system holds name Ctrl+Alt so.
inline constexpr int kCtrlAlt = 2 | 1;

class AppCoreTest : public ::testing::Test {
  protected:
    AppCoreTest()
        : core(U16Path(dir / "data" / "actions.cfg"), layout.names,
               std::make_unique<FakeHotKeySystem>(state)) {
        core.Start(); // no file yet: an empty table, and saving is allowed
    }

    // Rows "Run Calc" with Ctrl+Alt+1, +2, ... and the destination "rowN".
    void FillNumbered(int count) {
        for (int i = 1; i <= count; ++i) {
            const std::u16string n(1, static_cast<char16_t>(u'0' + i));
            AppendRow(core.tasks(), {u"Run Calc", u"Ctrl+Alt+" + n, u"row" + n});
        }
        core.RegisterAllTaskHotKeys();
    }
    std::u16string Dests() const {
        std::u16string out;
        for (int r = 0; r < core.table().taskCount(); ++r)
            out += core.table().cellText(Column::Dest, r) + u" ";
        return out;
    }
    // A press of the code as the hotkey manager would hand it on now.
    void Press(HotKeyCode code) { core.HotKeyPressed(core.hotKeys().PressOf(code)); }
    bool Saved() const { return std::filesystem::exists(dir / "data" / "actions.cfg"); }

    FakeLayout layout;
    TempFolder dir;
    SystemState state; // what the system holds for us
    AppCore core;
};

// The actions as the core's tests watch them: the programs a press ran and
// how, and power off as the system's operations run it (what the core handed
// over, then the request, which sees what is on disk).
class CoreActions final : public ActionOperations {
  public:
    std::vector<std::string> runs;
    std::function<void()> request;

    void PowerOffComputer() override {
        beforeSessionEnds()();
        request();
    }
    void RebootComputer() override {}
    void HibernateComputer() override {}
    void StandByComputer() override {}
    void LogOffComputer() override {}
    void OpenCDTray(const std::u16string&) override {}
    void CloseCDTray(const std::u16string&) override {}
    void ToggleMinimizeAll() override {}
    void RunSelectedProgram(const std::u16string& program, const std::u16string&, int) override {
        runs.push_back(ToUtf8(program));
    }
    void BringProgramToFront(const std::u16string& program, const std::u16string&, int,
                             bool toggle) override {
        runs.push_back(ToUtf8(program) + (toggle ? " toggled" : " raised"));
    }
    void OpenSpecialFolder(SpecialFolder, int) override {}
    void CloseProgramByName(const std::u16string&) override {}
    void OpenWebsite(const std::u16string&, int) override {}
    void RunFixedProgram(const std::u16string&, int) override {}
    void TypeText(const std::u16string&) override {}
    void SendKeys(const std::vector<HotKeyCode>&) override {}
};

} // namespace keyvane::test

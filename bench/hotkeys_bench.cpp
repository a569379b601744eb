// Costs of the hotkey paths that scale with the task table: building the key
// name table, the registration pass at start over 10,000 rows, and one press
// walking 10,000 rows. Key names and the hotkey service are fakes, so the
// figures are the program's own work.
#include "../tests/FakeKeyNames.h"
#include "../tests/TaskRows.h"
#include "actions/Dispatch.h"
#include "hotkeys/HotKeyManager.h"
#include "tasks/TaskTable.h"

#include <benchmark/benchmark.h>

#include <map>
#include <set>
#include <string>

namespace keyvane {
namespace {

constexpr int kRows = 10000;

class AcceptingHotKeys final : public HotKeySystem {
  public:
    void Attach(THotKeyManager&) override {}
    std::uint16_t AddGlobalAtom(const std::u16string& name) override {
        auto [it, added] = atoms_.try_emplace(name, next_, 0);
        if (added) ++next_;
        ++it->second.second;
        return it->second.first;
    }
    void DeleteGlobalAtom(std::uint16_t) override {}
    bool RegisterHotKey(std::uint16_t id, std::uint16_t flags, std::uint16_t key) override {
        ++registered;
        if (!pairs_.insert((flags & 0x0F) << 8 | key).second) return false;
        ids_[id] = (flags & 0x0F) << 8 | key;
        return true;
    }
    bool UnregisterHotKey(std::uint16_t id) override {
        ++unregistered;
        const auto it = ids_.find(id);
        if (it == ids_.end()) return false;
        pairs_.erase(it->second);
        ids_.erase(it);
        return true;
    }
    long long registered = 0, unregistered = 0;

  private:
    std::map<std::u16string, std::pair<std::uint16_t, int>> atoms_;
    std::set<int> pairs_;
    std::map<std::uint16_t, int> ids_;
    std::uint16_t next_ = 0xC000;
};

class NoActions final : public ActionOperations {
  public:
    int performed = 0;
    void PowerOffComputer() override { ++performed; }
    void RebootComputer() override { ++performed; }
    void HibernateComputer() override { ++performed; }
    void StandByComputer() override { ++performed; }
    void LogOffComputer() override { ++performed; }
    void OpenCDTray(const std::u16string&) override { ++performed; }
    void CloseCDTray(const std::u16string&) override { ++performed; }
    void ToggleMinimizeAll() override { ++performed; }
    void RunSelectedProgram(const std::u16string&, const std::u16string&, int) override {
        ++performed;
    }
    void OpenSpecialFolder(SpecialFolder, int) override { ++performed; }
    void CloseProgramByName(const std::u16string&) override { ++performed; }
    void OpenWebsite(const std::u16string&, int) override { ++performed; }
    void RunFixedProgram(const std::u16string&, int) override { ++performed; }
    void TypeText(const std::u16string&) override { ++performed; }
    void SendKeys(const std::vector<HotKeyCode>&) override { ++performed; }
};

std::u16string Ascii(const std::string& s) {
    return std::u16string(s.begin(), s.end());
}

// A large table of varied hotkeys: letters, function keys, named keys found
// only by a look-up over the name table, a few that never parse.
void FillLargeTable(TaskTable& table, int rows = kRows) {
    static const char* const modifiers[] = {"Ctrl+", "Ctrl+Alt+", "Shift+Alt+", "Win+",
                                            "Ctrl+Shift+"};
    static const char* const keys[] = {"A",      "N",     "7",     "F5",   "F11", "Page Down",
                                       "Delete", "Num +", "Num 5", "Home", ",",   "Scroll Lock"};
    for (int i = 0; i < rows; ++i) {
        std::string hotkey = std::string(modifiers[i % 5]) + keys[(i / 5) % 12];
        if (i % 97 == 0) hotkey = "Foo+" + hotkey; // unparsable
        test::AppendRow(table, {u"Run selected program...", Ascii(hotkey),
                                u"C:\\Program Files\\Tool\\tool.exe -x " + Ascii(std::to_string(i)),
                                u"Normal", i % 7 != 3});
    }
}

void BM_NameTableBuild(benchmark::State& state) {
    test::FakeLayout layout;
    for (auto _ : state) {
        ++layout.source.layout; // a layout change: the names are asked for again
        benchmark::DoNotOptimize(TextToHotKeyCode(layout.names, u"Ctrl+Page Down"));
    }
}
BENCHMARK(BM_NameTableBuild);

void BM_TextToHotKeyCode(benchmark::State& state) {
    test::FakeLayout layout;
    for (auto _ : state) {
        benchmark::DoNotOptimize(TextToHotKeyCode(layout.names, u"Ctrl+Shift+Scroll Lock"));
        benchmark::DoNotOptimize(TextToHotKeyCode(layout.names, u"Ctrl+Alt+N"));
    }
}
BENCHMARK(BM_TextToHotKeyCode);

void BM_ParseShortcutText(benchmark::State& state) {
    test::FakeLayout layout;
    for (auto _ : state)
        benchmark::DoNotOptimize(ParseShortcutText(layout.names, u"Shift+Ctrl+F11"));
}
BENCHMARK(BM_ParseShortcutText);

void BM_RegistrationPass10000Rows(benchmark::State& state) {
    test::FakeLayout layout;
    TaskTable table;
    FillLargeTable(table);
    for (auto _ : state) {
        state.PauseTiming();
        auto manager = std::make_unique<THotKeyManager>(std::make_unique<AcceptingHotKeys>());
        state.ResumeTiming();
        manager->RegisterAllTaskHotKeys(table, layout.names);
        benchmark::DoNotOptimize(manager->Registrations().size());
        state.PauseTiming();
        manager.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_RegistrationPass10000Rows)->Unit(benchmark::kMillisecond);

void BM_OnePress10000Rows(benchmark::State& state) {
    test::FakeLayout layout;
    TaskTable table;
    FillLargeTable(table);
    NoActions actions;
    THotKeyManager manager(std::make_unique<AcceptingHotKeys>());
    manager.RegisterAllTaskHotKeys(table, layout.names);
    const HotKeyCode pressed = TextToHotKeyCode(layout.names, u"Ctrl+Alt+N");
    for (auto _ : state)
        DispatchHotKeyPress(table, manager, pressed, actions);
    state.counters["actions_per_press"] =
        benchmark::Counter(static_cast<double>(actions.performed) / state.iterations());
}
BENCHMARK(BM_OnePress10000Rows)->Unit(benchmark::kMicrosecond);

// A press that no row holds: the registration pass read no text as it.
void BM_OnePressNoMatch10000Rows(benchmark::State& state) {
    test::FakeLayout layout;
    TaskTable table;
    FillLargeTable(table);
    NoActions actions;
    THotKeyManager manager(std::make_unique<AcceptingHotKeys>());
    manager.RegisterAllTaskHotKeys(table, layout.names);
    const HotKeyCode pressed = TextToHotKeyCode(layout.names, u"Ctrl+Alt+Q");
    for (auto _ : state)
        DispatchHotKeyPress(table, manager, pressed, actions);
    if (actions.performed != 0) state.SkipWithError("a row matched");
}
BENCHMARK(BM_OnePressNoMatch10000Rows)->Unit(benchmark::kMicrosecond);

// A change of the program in front with 10,000 tasks, 100 of them for some
// programs, each with a code of its own: half only in Notepad, half not in a
// game. Every change between the two gives back or takes all 100 codes.
void BM_ForegroundChange10000Rows100Scoped(benchmark::State& state) {
    test::FakeLayout layout;
    TaskTable table;
    FillLargeTable(table, kRows - 100);
    static const char* const modifiers[] = {"Ctrl+Shift+Alt+", "Win+Ctrl+", "Win+Shift+",
                                            "Win+Alt+"};
    for (int i = 0; i < 100; ++i) {
        const std::string hotkey =
            modifiers[i % 4] + std::string(1, static_cast<char>('A' + i / 4));
        test::AppendRow(table, {u"Run Notepad", Ascii(hotkey)});
        table.setCellText(Column::Programs, table.taskCount() - 1,
                          i % 2 ? u"notepad.exe;code.exe" : u"!game.exe");
    }
    auto system = std::make_unique<AcceptingHotKeys>();
    AcceptingHotKeys& calls = *system;
    THotKeyManager manager(std::move(system));
    manager.SetForegroundProgram(u"explorer.exe");
    manager.RegisterAllTaskHotKeys(table, layout.names);
    const std::size_t everywhere = manager.Registrations().size() - 50;
    long long changes = 0;
    bool inNotepad = false;
    calls.registered = calls.unregistered = 0;
    for (auto _ : state) {
        inNotepad = !inNotepad;
        manager.SetForegroundProgram(inNotepad ? u"Notepad.exe" : u"game.exe");
        changes += manager.FollowForeground();
    }
    state.counters["changes_per_switch"] =
        benchmark::Counter(static_cast<double>(changes) / state.iterations());
    state.counters["system_calls_per_switch"] = benchmark::Counter(
        static_cast<double>(calls.registered + calls.unregistered) / state.iterations());
    // The rows for all programs hold theirs through every change.
    std::size_t kept = 0;
    for (std::size_t i = 0; i < everywhere; ++i)
        kept += manager.HasRegistration(manager.Registrations()[i].Code);
    if (kept != everywhere) state.SkipWithError("a task for all programs churned");
}
BENCHMARK(BM_ForegroundChange10000Rows100Scoped)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace keyvane

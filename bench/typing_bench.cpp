// The core's part of "Type text...": a task's destination as stored, 2,000
// characters of several scripts with line breaks, a tab, braces and '|',
// decoded and turned into key input, and the typer stepping through it on
// a port that takes every event. The system's part (SendInput and the
// receiving program) is what the Wine benchmark times.
#include "actions/KeyTyping.h"
#include "tasks/DestinationText.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

using namespace keyvane;

// 2,000 UTF-16 units: Latin with accents, Cyrillic, Greek, CJK, emoji
// (surrogate pairs), line breaks, a tab and the notation's characters.
std::u16string SeveralScripts() {
    const std::u16string_view parts[] = {u"Gr\u00FC\u00DFe aus K\u00F6ln, ",
                                         u"\u041F\u0440\u0438\u0432\u0435\u0442 ",
                                         u"\u039A\u03B1\u03BB\u03B7\u03BC\u03AD\u03C1\u03B1 ",
                                         u"\u4E16\u754C\u4F60\u597D ",
                                         u"\U0001F44B\U0001F600 ",
                                         u"a|b {x}\r\n",
                                         u"\tcol\r\n"};
    std::u16string text;
    for (std::size_t i = 0; text.size() < 2000; ++i)
        text += parts[i % std::size(parts)];
    text.resize(2000);
    if ((text.back() & 0xFC00) == 0xD800) text.back() = u'.'; // no half pair at the end
    return text;
}

void BM_TextToKeyInput2000(benchmark::State& state) {
    const std::u16string cell = CellFromDestination(SeveralScripts());
    for (auto _ : state) {
        KeyInput input = TextKeyInput(DestinationFromCell(cell));
        benchmark::DoNotOptimize(input.events.data());
    }
    state.SetItemsProcessed(state.iterations() * 2000);
}
BENCHMARK(BM_TextToKeyInput2000);

class TakingPort final : public TypingPort {
  public:
    std::uint64_t NowMs() const override { return 0; }
    bool KeyDown(std::uint8_t) const override { return false; }
    std::uintptr_t Foreground() const override { return 1; }
    bool IsOwnWindow(std::uintptr_t) const override { return false; }
    std::uintptr_t WindowBeforeOwn() const override { return 0; }
    void BringToFront(std::uintptr_t) override {}
    bool RunsAboveUs(std::uintptr_t) const override { return false; }
    std::size_t Send(std::span<const KeyEvent> events) override {
        sent += events.size();
        return events.size();
    }
    std::size_t sent = 0;
};

// The whole road of one press: decode, key input, every batch sent.
void BM_TypeText2000(benchmark::State& state) {
    const std::u16string cell = CellFromDestination(SeveralScripts());
    TakingPort port;
    KeyTyper typer(port, nullptr);
    for (auto _ : state) {
        typer.Start(TextKeyInput(DestinationFromCell(cell)), u"Type text...");
        while (typer.Step()) {
        }
    }
    benchmark::DoNotOptimize(port.sent);
    state.SetItemsProcessed(state.iterations() * 2000);
}
BENCHMARK(BM_TypeText2000);

} // namespace

// The video display as a timing system drives it: a running clock that
// changes one digit per pass (with and without optimize slots), and a full
// 1920 × 1080 board of 20 × 4 cells, 80 text cells per pass. Each counts
// heap allocations per command once warm.

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "AllocationCounter.h"
#include "K3DFonts.h"
#include "KUtf8.h"
#include "KVideoDisplay.h"
#include "TDefaultSettings.h"

namespace {

struct Board {
    Board(int32_t width, int32_t height) {
        ApplyDefaultSettings(settings);
        fonts = std::make_unique<K3DFonts>(settings, "/nonexistent", nullptr);
        display = std::make_unique<KVideoDisplay>(fonts.get(), KString(u"/nonexistent"));
        display->Setup(width, height, 0);
    }
    void Feed(const std::string& utf8) {
        KString text;
        KAppendUtf8(text, utf8);
        display->Feed(text);
    }
    KRegistry settings;
    std::unique_ptr<K3DFonts> fonts;
    std::unique_ptr<KVideoDisplay> display;
};

std::string Cmd(const std::string& name, const std::string& value = "") {
    return "\x12" + name + (value.empty() ? "" : "=" + value) + "\x14";
}

// Arg 0: 0 optimize off, 1 on. Arg 1: 0 the 320 × 64 board of 20 × 2 cells
// (32-pixel text), 1 the 1920 × 1080 board of 20 × 4 cells (270 pixels).
// One iteration is one pass: "LayoutSetup", the clock's "TextSetup" and its
// "TextDraw", whose last digit changed. The clock's cells hold all of it.
void BM_ClockPass(benchmark::State& state) {
    const bool big = state.range(1) != 0;
    Board board(big ? 1920 : 320, big ? 1080 : 64);
    const std::string pass = Cmd("LayoutSetup", big ? "20,4" : "20,2") +
                             Cmd("TextOptimize", state.range(0) ? "On" : "Off") +
                             Cmd("TextSetup", big ? "10,1,10,0" : "8,1,12,0") +
                             Cmd("TextJustify", "Right") + Cmd("TextDraw", "0:52.0");
    KString text;
    KAppendUtf8(text, pass);
    const int32_t digit = text.Length() - 2;  // before the closing DC4
    auto tick = [&](int i) {
        text.SetCharAt(digit, static_cast<KChar>(u'0' + i % 10));
        board.display->Feed(text);
    };
    for (int i = 0; i < 20; ++i) tick(i);
    const uint64_t before = AllocationCount();
    int i = 0;
    for (auto _ : state) tick(++i);
    state.counters["allocs_per_pass"] =
        static_cast<double>(AllocationCount() - before) / static_cast<double>(state.iterations());
}

// Arg: 0 optimize off (every cell drawn), 1 on (the same texts: every cell a hit).
void BM_FullBoard(benchmark::State& state) {
    Board board(1920, 1080);
    std::string pass = Cmd("LayoutSetup", "20,4") + Cmd("LayoutBackColor", "0,0,80") +
                       Cmd("TextOptimize", state.range(0) ? "On" : "Off");
    for (int cell = 0; cell < 80; ++cell) {
        pass +=
            Cmd("TextSetup", "1,1," + std::to_string(cell % 20) + "," + std::to_string(cell / 20));
        pass += Cmd("TextDraw", std::string(1, char('A' + cell % 26)));
    }
    KString text;
    KAppendUtf8(text, pass);
    for (int i = 0; i < 3; ++i) board.display->Feed(text);
    const uint64_t before = AllocationCount();
    for (auto _ : state) board.display->Feed(text);
    state.counters["allocs_per_cmd"] = static_cast<double>(AllocationCount() - before) /
                                       static_cast<double>(state.iterations() * 163);
}

}  // namespace

BENCHMARK(BM_ClockPass)->ArgsProduct({{1, 0}, {0, 1}})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FullBoard)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();

// The display engine on a 1920 x 1080 window: a full redraw of the demo
// results layout, a page switch, a running clock from the last byte of its
// packet handed to the source to the band copied to the surface (median and
// 99th percentile, with the heap allocations per update), and one step of a
// one-pixel ticker over the results (the region copy of the whole window
// and the redraw of the entering column, upright and turned; heap
// allocations per step). Filling the window once is printed beside them:
// the memory-bandwidth floor.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "AllocationCounter.h"
#include "K3DFonts.h"
#include "KChunkedStream.h"
#include "KClock.h"
#include "KFrameBufferSurface.h"
#include "KTestSupport.h"
#include "TDefaultSettings.h"
#include "TDisplayEngine.h"
#include "TLayout.h"
#include "TReceiver.h"

namespace {

using Clock = std::chrono::steady_clock;

// A frame buffer that counts the bands it receives.
struct CountingSurface : KFrameBufferSurface {
    void CopyBand(const KRect& physical, const uint32_t* pixels) override {
        ++bands;
        KFrameBufferSurface::CopyBand(physical, pixels);
    }
    int64_t bands = 0;
};

// The engine with the demo layouts open, the results layout fitted to the
// window and shown.
struct Board {
    Board() {
        ApplyDefaultSettings(settings);
        settings.ApplyLine(KTestText("Layout\\AutoResize:Int=3"));
        fonts = std::make_unique<K3DFonts>(settings, TESSARON_BIN, nullptr);
        engine = std::make_unique<TDisplayEngine>(settings, TESSARON_BIN, *fonts, surface, clock,
                                                  std::vector<KRect>{{0, 0, 1919, 1079}}, nullptr);
        for (const char* name : {"Results", "Start List"})
            engine->Layouts().OpenLayout(
                KTestText(std::string(TESSARON_BIN "/layouts/") + name + ".tly"));
        engine->Window().ShowLayout(engine->Layouts().Window(1), -1);
    }

    std::string error;
    KRegistry settings;
    KVirtualClock clock;
    CountingSurface surface;
    std::unique_ptr<K3DFonts> fonts;
    std::unique_ptr<TDisplayEngine> engine;
};

void BM_FillWindowFloor(benchmark::State& state) {
    std::vector<uint32_t> window(1920 * 1080);
    uint32_t pixel = 0;
    for (auto _ : state) {
        std::fill(window.begin(), window.end(), ++pixel);
        benchmark::DoNotOptimize(window.data());
    }
}

void BM_FullRedraw(benchmark::State& state) {
    Board board;
    if (!board.error.empty()) state.SkipWithError(board.error.c_str());
    for (auto _ : state) board.engine->Window().FullRedraw();
}

void BM_PageSwitch(benchmark::State& state) {
    Board board;
    if (!board.error.empty()) state.SkipWithError(board.error.c_str());
    TZDisplayWindow& window = board.engine->Window();
    int32_t next = 2;
    for (auto _ : state) {
        window.ShowLayout(board.engine->Layouts().Window(next), -1);
        next = 3 - next;
    }
}

// Packets of a running clock, 1:00.0 on, a tenth of a second each.
std::string ClockPackets(int count) {
    std::string bytes;
    for (int i = 0; i < count; ++i) {
        char packet[32];
        std::snprintf(packet, sizeof packet,
                      "\x02"
                      "C%3d:%02d.%d\r\x03",
                      1 + i / 600, i / 10 % 60, i % 10);
        bytes += packet;
    }
    return bytes;
}

void BM_ClockUpdate(benchmark::State& state) {
    Board board;
    TReceiver source;
    if (!source.LoadScript(KTestText(TESSARON_BIN), KTestText("Results.rss"),
                           TReceiver::kDefaultBufferSize))
        board.error = "cannot load Results.rss";
    if (!board.error.empty()) state.SkipWithError(board.error.c_str());
    source.SetSinks(board.engine.get(), nullptr, board.engine.get());
    const int kPackets = 20000;
    const std::string bytes = ClockPackets(kPackets);
    const size_t packetSize = bytes.size() / kPackets;
    KChunkedStream channel(bytes);
    // As a socket of a source with code set 0 reads.
    channel.SetReadLineEnd(0);
    channel.SetReadEncoding(TReceiver::EncodingOfCodeSet(0));
    std::vector<double> micros;
    micros.reserve(kPackets);
    size_t sent = 0;
    uint64_t allocations = 0;
    for (auto _ : state) {
        if (sent + packetSize > bytes.size()) break;
        // All but the last byte arrive first; the clock runs from the last.
        channel.ArriveUpTo(sent + packetSize - 1);
        source.ReceiveAvailable(channel);
        const uint64_t before = AllocationCount();
        const auto start = Clock::now();
        channel.ArriveUpTo(sent + packetSize);
        source.ReceiveAvailable(channel);
        micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
        if (sent > 100 * packetSize) allocations += AllocationCount() - before;
        sent += packetSize;
    }
    std::sort(micros.begin(), micros.end());
    if (!micros.empty()) {
        state.counters["p50_us"] = micros[micros.size() / 2];
        state.counters["p99_us"] = micros[micros.size() * 99 / 100];
    }
    state.counters["allocs_warm"] = static_cast<double>(allocations);
    state.counters["bands_per_update"] =
        static_cast<double>(board.surface.bands) / static_cast<double>(micros.size() + 1);
}

void BM_ScrollStep(benchmark::State& state) {
    Board board;
    if (!board.error.empty()) state.SkipWithError(board.error.c_str());
    // With no Start and no Delay every pass makes a step.
    for (const char* line : {"Display\\Scroll\\Mode:Int=1", "Display\\Scroll\\Start:Int=0",
                             "Display\\Scroll\\Delay:Int=0"})
        board.settings.ApplyLine(KTestText(line));
    board.settings.ApplyLine(KTestText("Display\\Rotate:Int=" + std::to_string(state.range(0))));
    TZDisplayWindow& window = board.engine->Window();
    window.FullRedraw();
    // Once round the window, so that every glyph has been drawn before.
    for (int32_t i = window.LogicalArea().Width(); i > 0; --i) window.Tick();
    const int64_t bands = board.surface.bands;
    const int32_t offset = window.Scroller().Offset();
    const uint64_t before = AllocationCount();
    for (auto _ : state) window.Tick();
    const auto steps = static_cast<double>(state.iterations());
    state.counters["allocs_per_step"] = static_cast<double>(AllocationCount() - before) / steps;
    state.counters["bands_per_step"] = static_cast<double>(board.surface.bands - bands) / steps;
    if (window.Scroller().Offset() == offset && state.iterations() % window.LogicalArea().Width())
        state.SkipWithError("the ticker did not move");
}

BENCHMARK(BM_FillWindowFloor)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullRedraw)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PageSwitch)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScrollStep)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ClockUpdate)->Iterations(5000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();

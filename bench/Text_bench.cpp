// Drawing system-font text at 100 pixels as the display does: a running
// clock whose last digit changes (Fit and Draw with an optimize record), and
// a full 20-character line. Each runs with the glyph cache (warm) and without
// it, and counts heap allocations per drawn glyph.

#include <benchmark/benchmark.h>

#include <memory>

#include "AllocationCounter.h"
#include "K3DFontOptimize.h"
#include "K3DFonts.h"
#include "TDefaultSettings.h"

namespace {

struct Setup {
    Setup() {
        ApplyDefaultSettings(settings);
        fonts = std::make_unique<K3DFonts>(settings, "/nonexistent", nullptr);
        info.SetFaceName(KString(u"DejaVu Sans"));
        info.SetSize(100);
    }
    KRegistry settings;
    std::unique_ptr<K3DFonts> fonts;
    K3DFontInfo info;
};

// The display copies each glyph; the sink touches every pixel the same way.
struct Sink {
    static bool Take(const K3DGlyph& glyph, const K3DRect& rect, void* user) {
        auto* sink = static_cast<Sink*>(user);
        const int32_t n = (rect.right - rect.left + 1) * (rect.bottom - rect.top + 1);
        for (int32_t i = 0; i < n; ++i) sink->sum += glyph.pixels[i];
        ++sink->glyphs;
        return true;
    }
    uint64_t sum = 0;
    uint64_t glyphs = 0;
};

void Report(benchmark::State& state, const Sink& sink, uint64_t allocations) {
    state.counters["glyphs_per_iter"] =
        static_cast<double>(sink.glyphs) / static_cast<double>(state.iterations());
    state.counters["allocs_per_glyph"] =
        sink.glyphs ? static_cast<double>(allocations) / static_cast<double>(sink.glyphs) : 0;
}

// Arg: 1 with the glyph cache, 0 without.
void BM_ClockDigit(benchmark::State& state) {
    Setup s;
    if (!state.range(0)) s.fonts->Cache().SetBudget(0);
    K3DFontOptimize optimize;
    KString15 text;
    Sink sink;
    auto tick = [&](int i) {
        text = KString(u"12:34.5");
        text.SetCharAt(6, static_cast<KChar>(u'0' + i % 10));
        K3DFontInfo info(s.info);
        int32_t width = 2000;
        s.fonts->Fit(text, info, &width, &optimize);
        s.fonts->Draw(text, info, Sink::Take, &sink, &optimize);
    };
    for (int i = 0; i < 20; ++i) tick(i);  // warm: every digit drawn once
    sink = Sink{};
    const uint64_t before = AllocationCount();
    int i = 0;
    for (auto _ : state) tick(++i);
    Report(state, sink, AllocationCount() - before);
    benchmark::DoNotOptimize(sink.sum);
}

void BM_FullLine(benchmark::State& state) {
    Setup s;
    if (!state.range(0)) s.fonts->Cache().SetBudget(0);
    const KString line(u"Heat 3 Lane 5  12:34");  // 20 characters
    KString text(31, 63);
    Sink sink;
    auto draw = [&] {
        text = line;
        K3DFontInfo info(s.info);
        int32_t width = 4000;
        s.fonts->Fit(text, info, &width, nullptr);
        s.fonts->Draw(text, info, Sink::Take, &sink, nullptr);
    };
    draw();  // warm
    sink = Sink{};
    const uint64_t before = AllocationCount();
    for (auto _ : state) draw();
    Report(state, sink, AllocationCount() - before);
    benchmark::DoNotOptimize(sink.sum);
}

BENCHMARK(BM_ClockDigit)->Arg(1)->Arg(0)->ArgName("cached")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FullLine)->Arg(1)->Arg(0)->ArgName("cached")->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();

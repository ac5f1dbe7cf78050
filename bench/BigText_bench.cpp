// Forty text objects of 990 to 999 pixels on a 1920 x 1080 window, each
// spanning every band of the default display cache: the first frame (glyph
// cache cold) beside the forty texts rasterised once each without the
// display (their glyphs made once, shared where two texts share one, as in
// a frame). The two agree when no text is rasterised again for a later band;
// the rasterisations per frame are printed as a counter.

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "BenchBoard.h"
#include "K3DFonts.h"
#include "K3DTextBlock.h"
#include "TLayout.h"
#include "TTextObject.h"

namespace {

constexpr int kObjects = 40;

// Texts of two characters at 990 + i % 10 pixels, each in a window-wide
// object that starts near the top.
std::string FortyBigTexts() {
    std::string objects;
    for (int i = 0; i < kObjects; ++i) {
        if (i > 0) objects += ",";
        objects += R"({"class": "TTextObject", "flags": 0, "x": 0, "y": )" + std::to_string(i) +
                   R"(, "width": 1920, "height": 1000, "text": ")" + std::to_string(10 + i) +
                   R"(", "font": {"name": "DejaVu Sans", "size": )" + std::to_string(990 + i % 10) +
                   "}}";
    }
    return R"({"objects": [)" + objects + "]}";
}

// Forgets every glyph cell: the next frame starts cold.
void Cold(K3DFonts& fonts) {
    const size_t budget = K3DFonts::kCacheBytes;
    fonts.Cache().SetBudget(0);
    fonts.Cache().SetBudget(budget);
}

class NullTarget : public K3DTextTarget {
  public:
    bool Glyph(const uint32_t*, const K3DRect&) override { return true; }
};

void BM_FirstFrameOfFortyBigTexts(benchmark::State& state) {
    BenchBoard board(FortyBigTexts());
    if (!board.layout) return state.SkipWithError("the layout did not open");
    board.engine->Window().ShowLayout(board.layout, -1);
    int64_t rasterised = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Cold(*board.fonts);
        const int64_t before = board.fonts->Rasterised();
        state.ResumeTiming();
        board.engine->Window().FullRedraw();
        rasterised += board.fonts->Rasterised() - before;
    }
    state.counters["rasterised"] =
        benchmark::Counter(double(rasterised), benchmark::Counter::kAvgIterations);
}

void BM_FortySingleRasterisations(benchmark::State& state) {
    BenchBoard board(FortyBigTexts());
    if (!board.layout) return state.SkipWithError("the layout did not open");
    NullTarget target;
    KString text(63, KString::kMaxLimit);
    int64_t rasterised = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Cold(*board.fonts);
        const int64_t before = board.fonts->Rasterised();
        state.ResumeTiming();
        // One pass, as one frame: a glyph two texts share is made once.
        board.fonts->Cache().BeginPass();
        for (TLayoutObject& o : board.layout->Objects()) {
            auto& object = static_cast<TTextObject&>(o);
            text.Empty();
            object.GetDrawnText(text);
            const KRect r = object.Rect();
            K3DTextBlock(*board.fonts, object.Font())
                .Draw({r.left, r.top, r.right, r.bottom}, text, object.Justification(),
                      object.Lines(), target);
        }
        board.fonts->Cache().EndPass();
        rasterised += board.fonts->Rasterised() - before;
    }
    state.counters["rasterised"] =
        benchmark::Counter(double(rasterised), benchmark::Counter::kAvgIterations);
}

}  // namespace

BENCHMARK(BM_FirstFrameOfFortyBigTexts)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FortySingleRasterisations)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();

// "ImageDraw" of a sponsor picture, an 8000 x 8000 progressive JPEG, three
// times in one pass on a 1920 x 1080 video display of 4 x 2 cells: the pass
// with the picture cache cold (one decode, at the scale of a cell) and the
// pass once the picture is cached (no decode). The decodes per pass, the
// bytes the cache holds and the process's peak memory are printed as
// counters. The picture is made once
// with ImageMagick in a temporary folder.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include "K3DFonts.h"
#include "KPictureCache.h"
#include "KTestSupport.h"
#include "KUtf8.h"
#include "KVideoDisplay.h"
#include "TDefaultSettings.h"

namespace {

std::string Cmd(const std::string& name, const std::string& value = "") {
    return "\x12" + name + (value.empty() ? "" : "=" + value) + "\x14";
}

struct Sponsor {
    Sponsor() {
        const std::string make =
            "convert -seed 7 -size 8000x8000 plasma: -interlace JPEG "
            "-quality 85 " +
            folder.Path("sponsor.jpg");
        made = std::system(make.c_str()) == 0;
    }
    KTestFolder folder;
    bool made = false;
};

const Sponsor& TheSponsor() {
    static const Sponsor sponsor;
    return sponsor;
}

struct Board {
    Board() {
        ApplyDefaultSettings(settings);
        fonts = std::make_unique<K3DFonts>(settings, "/nonexistent", nullptr);
        KString folder;
        KAppendUtf8(folder, TheSponsor().folder.Path());
        display = std::make_unique<KVideoDisplay>(fonts.get(), folder);
        display->Setup(1920, 1080, 0);
        KAppendUtf8(pass, Cmd("LayoutSetup", "4,2") + Cmd("ImageDraw", "sponsor.jpg") +
                              Cmd("ImageDraw", "sponsor.jpg") + Cmd("ImageDraw", "sponsor.jpg"));
    }
    KRegistry settings;
    std::unique_ptr<K3DFonts> fonts;
    std::unique_ptr<KVideoDisplay> display;
    KString pass;
};

// The most memory the process has held so far (VmHWM), in MiB.
double PeakMiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) / 1024;
    }
    return 0;
}

void Report(benchmark::State& state, int64_t decodes) {
    state.counters["decodes"] =
        benchmark::Counter(double(decodes), benchmark::Counter::kAvgIterations);
    state.counters["cachedMiB"] = double(KPictureCache::Shared().Bytes()) / (1 << 20);
    state.counters["peakMiB"] = PeakMiB();
}

void BM_ThreeImageDrawsCold(benchmark::State& state) {
    if (!TheSponsor().made) return state.SkipWithError("ImageMagick could not make the picture");
    Board board;
    KPictureCache& cache = KPictureCache::Shared();
    int64_t decodes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        cache.Clear();
        const int64_t before = cache.Decodes();
        state.ResumeTiming();
        board.display->Feed(board.pass);
        decodes += cache.Decodes() - before;
    }
    Report(state, decodes);
}

void BM_ThreeImageDrawsCached(benchmark::State& state) {
    if (!TheSponsor().made) return state.SkipWithError("ImageMagick could not make the picture");
    Board board;
    KPictureCache& cache = KPictureCache::Shared();
    board.display->Feed(board.pass);
    const int64_t before = cache.Decodes();
    for (auto _ : state) board.display->Feed(board.pass);
    Report(state, cache.Decodes() - before);
}

}  // namespace

BENCHMARK(BM_ThreeImageDrawsCold)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ThreeImageDrawsCached)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();

// Picture loading at display sizes: a 1920 × 1080 animated GIF of 80 full
// frames decoded into complete frames, against giflib's DGifSlurp reading the
// same file into its own per-image index rasters (the anchor: at most 1.5 ×
// its time, compared by the medians of warm runs); a 1920 × 1080 Targa (at least 500 MB/s of
// pixels); and nearest- neighbour scaling of a 1920 × 1080 frame to 960 × 540 (at most 5 ms). The
// files are written once per run under /tmp, the GIF with giflib.

#include <benchmark/benchmark.h>
#include <gif_lib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "KBitmaps.h"
#include "KBufferedFile.h"
#include "KUtf8.h"

namespace {

constexpr int kWidth = 1920, kHeight = 1080, kFrames = 80;

// A file under /tmp removed when the program ends.
struct TempFile {
    explicit TempFile(const char* name)
        : path("/tmp/tessaron-bench-" + std::to_string(getpid()) + "-" + name) {}
    ~TempFile() { std::remove(path.c_str()); }
    std::string path;
};

// Colour index of a pixel of frame f: moving blocks of colour over most of
// the picture and a band of noise, so that codes of every length occur.
uint8_t PatternIndex(int x, int y, int f) {
    if (y >= 400 && y < 520) return uint8_t((x * 2654435761u + y * 40503u + f * 977u) >> 24);
    return uint8_t(((x + f * 12) / 40) * 7 + (y / 30) * 13);
}

const std::string& GifFile() {
    static const TempFile file("anim.gif");
    static const bool written = [] {
        int error = 0;
        GifFileType* gif = EGifOpenFileName(file.path.c_str(), false, &error);
        ColorMapObject* map = GifMakeMapObject(256, nullptr);
        for (int i = 0; i < 256; ++i)
            map->Colors[i] = {uint8_t(i), uint8_t(i * 3), uint8_t(255 - i)};
        EGifSetGifVersion(gif, true);
        EGifPutScreenDesc(gif, kWidth, kHeight, 8, 0, map);
        std::vector<GifPixelType> row(kWidth);
        for (int f = 0; f < kFrames; ++f) {
            GraphicsControlBlock control{DISPOSE_DO_NOT, false, 4, NO_TRANSPARENT_COLOR};
            GifByteType extension[4];
            EGifGCBToExtension(&control, extension);
            EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, extension);
            EGifPutImageDesc(gif, 0, 0, kWidth, kHeight, false, nullptr);
            for (int y = 0; y < kHeight; ++y) {
                for (int x = 0; x < kWidth; ++x) row[x] = PatternIndex(x, y, f);
                EGifPutLine(gif, row.data(), kWidth);
            }
        }
        EGifCloseFile(gif, &error);
        GifFreeMapObject(map);
        return true;
    }();
    (void)written;
    return file.path;
}

const std::string& TargaFile() {
    static const TempFile file("picture.tga");
    static const bool written = [] {
        FILE* f = std::fopen(file.path.c_str(), "wb");
        const uint8_t header[18] = {0,
                                    0,
                                    2,
                                    0,
                                    0,
                                    0,
                                    0,
                                    0,
                                    0,
                                    0,
                                    0,
                                    0,
                                    uint8_t(kWidth),
                                    kWidth >> 8,
                                    uint8_t(kHeight),
                                    kHeight >> 8,
                                    24,
                                    0x20};
        std::fwrite(header, 1, sizeof header, f);
        std::vector<uint8_t> row(kWidth * 3);
        for (int y = 0; y < kHeight; ++y) {
            for (size_t i = 0; i < row.size(); ++i) row[i] = uint8_t(i + y);
            std::fwrite(row.data(), 1, row.size(), f);
        }
        std::fclose(f);
        return true;
    }();
    (void)written;
    return file.path;
}

KString Name(const std::string& path) {
    KString name(255, 4095);
    KAppendUtf8(name, path);
    return name;
}

// Our decoder into complete frames, once; false when it failed.
bool DecodeOurs(const KString& name) {
    KBufferedFile file(name);
    file.Open(KFile::kRead, false);
    KBitmaps frames;
    frames.ReadFrames(file);
    if (frames.Count() != kFrames) return false;
    benchmark::DoNotOptimize(frames.Last()->Row(0));
    return true;
}

// giflib's DGifSlurp of the same file, once; false when it failed.
bool DecodeGiflib(const std::string& path) {
    int error = 0;
    GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
    const bool read = gif && DGifSlurp(gif) == GIF_OK && gif->ImageCount == kFrames;
    if (read) benchmark::DoNotOptimize(gif->SavedImages[kFrames - 1].RasterBits);
    if (gif) DGifCloseFile(gif, &error);
    return read;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Both decoders in turn on a warm file, every iteration, so that both see
// the same machine: the medians in milliseconds and ours as a multiple of
// giflib's. A single cold run of each varies by a factor of two.
void BM_GifDecodeAgainstGiflib(benchmark::State& state) {
    const std::string& path = GifFile();
    const KString name = Name(path);
    if (!DecodeOurs(name) || !DecodeGiflib(path)) {
        state.SkipWithError("a decoder failed");
        return;
    }
    std::vector<double> ours, giflib;
    const auto milliseconds = [](auto from) {
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - from)
            .count();
    };
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        DecodeOurs(name);
        ours.push_back(milliseconds(start));
        start = std::chrono::steady_clock::now();
        DecodeGiflib(path);
        giflib.push_back(milliseconds(start));
    }
    state.counters["ours_ms"] = Median(ours);
    state.counters["giflib_ms"] = Median(giflib);
    state.counters["ratio"] = Median(ours) / Median(giflib);
}
BENCHMARK(BM_GifDecodeAgainstGiflib)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(9);

void BM_TargaLoad(benchmark::State& state) {
    const KString name = Name(TargaFile());
    for (auto _ : state) {
        KBufferedFile file(name);
        file.Open(KFile::kRead, false);
        KBitmaps frames;
        frames.ReadFrames(file);
        benchmark::DoNotOptimize(frames.Last()->Row(0));
    }
    state.SetBytesProcessed(state.iterations() * int64_t{kWidth} * kHeight * 3);
}
BENCHMARK(BM_TargaLoad)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ScaleToHalf(benchmark::State& state) {
    KBitmap source(kWidth, kHeight, KBitmap::kImageFormat);
    source.Allocate();
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) source.SetPixel(x, y, uint32_t(x * 31 + y * 17));
    for (auto _ : state) benchmark::DoNotOptimize(source.Scaled(kWidth / 2, kHeight / 2));
}
BENCHMARK(BM_ScaleToHalf)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();

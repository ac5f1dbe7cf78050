// Loading a layout file of 200 objects (text, bitmap and video display
// objects in turn), the pictures of its bitmaps read from files the system
// has cached; and importing a layout as text of 2,000 to 200,000 text
// objects, whose time per object must not grow with their number.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "KAtomicSave.h"
#include "KUtf8.h"
#include "TBitmapObject.h"
#include "TLayout.h"
#include "TLayoutJson.h"
#include "TLayoutSettings.h"
#include "TTextObject.h"

namespace {

constexpr int kObjects = 200;

// A 24-bit 120 × 60 Targa in folder/logo.tga.
void WriteLogo(const std::string& folder) {
    const int width = 120, height = 60;
    unsigned char header[18] = {0, 0, 2};
    header[12] = width, header[14] = height, header[16] = 24;
    FILE* f = std::fopen((folder + "/logo.tga").c_str(), "wb");
    std::fwrite(header, 1, sizeof header, f);
    const std::string pixels(size_t(width) * height * 3, '\x60');
    std::fwrite(pixels.data(), 1, pixels.size(), f);
    std::fclose(f);
}

// The path of the layout file, made once.
const KString& LayoutFile() {
    static const KString path = [] {
        char pattern[] = "/tmp/tessaron-bench-layout-XXXXXX";
        const std::string folder = mkdtemp(pattern);
        WriteLogo(folder);
        KString home;
        KAppendUtf8(home, folder);
        TLayoutSettings::SetApplicationFolder(home);
        TLayout layout;
        for (int i = 0; i < kObjects; ++i) {
            TLayoutObject* object = layout.AddObject(i % 3);
            object->SetPosition(10 + i % 10 * 60, 10 + i / 10 * 20);
            object->SetField(KString(u"Name"));
            if (auto* text = dynamic_cast<TTextObject*>(object)) text->SetText(KString(u"Lane %s"));
            if (auto* bitmap = dynamic_cast<TBitmapObject*>(object))
                bitmap->SetFile(KString(u"logo.tga"));
        }
        KString file;
        KAppendUtf8(file, folder + "/bench.tly");
        KSaveAtomically(file, [&](KStream& stream) { layout.Write(stream); });
        return file;
    }();
    return path;
}

void BM_LoadLayoutOf200Objects(benchmark::State& state) {
    const KString& path = LayoutFile();
    for (auto _ : state) {
        TLayout layout;
        if (layout.Load(path, true) != 0) state.SkipWithError("the layout did not load");
        benchmark::DoNotOptimize(layout.State().objects.Count());
    }
}

BENCHMARK(BM_LoadLayoutOf200Objects)->Unit(benchmark::kMillisecond);

void BM_ImportJsonLayout(benchmark::State& state) {
    TLayoutJson::Json document = {{"objects", TLayoutJson::Json::array()}};
    for (int64_t i = 0; i < state.range(0); ++i)
        document["objects"].push_back(
            {{"class", "TTextObject"}, {"x", i % 1000}, {"text", "Lane"}});
    for (auto _ : state) {
        TLayout layout;
        TLayoutJson::FromJson(document, layout);
        benchmark::DoNotOptimize(layout.State().objects.Count());
    }
    state.SetComplexityN(state.range(0));
    state.counters["per_object"] = benchmark::Counter(
        static_cast<double>(state.range(0)),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

BENCHMARK(BM_ImportJsonLayout)
    ->RangeMultiplier(10)
    ->Range(2000, 200000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

}  // namespace

BENCHMARK_MAIN();

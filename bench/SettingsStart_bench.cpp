// The settings part of start-up: default table, a saved configuration and a
// language file, as the program does each time it starts.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "TSettings.h"

namespace {

std::string MakeHome() {
    char pattern[] = "/tmp/tessaron-bench-settings-XXXXXX";
    if (!mkdtemp(pattern)) return "";
    const std::string home = pattern;
    setenv("XDG_CONFIG_HOME", (home + "/config").c_str(), 1);
    setenv("LANG", "de_DE.UTF-8", 1);
    std::system(("cp '" TESSARON_ASSETS "/Deutsch.lng' '" + home + "/'").c_str());
    TSettings first;
    first.Start(home);
    first.Save();
    return home;
}

void BM_SettingsStart(benchmark::State& state) {
    const std::string home = MakeHome();
    for (auto _ : state) {
        TSettings settings;
        benchmark::DoNotOptimize(settings.Start(home));
    }
    std::error_code ignored;
    std::filesystem::remove_all(home, ignored);
}

BENCHMARK(BM_SettingsStart)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

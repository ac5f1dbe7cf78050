// ProcessField on field-sized values with typical process texts: time per call
// and heap allocations per call once warm.

#include <benchmark/benchmark.h>

#include "AllocationCounter.h"
#include "TFieldStringProcessor.h"

namespace {

void RunProcess(benchmark::State& state, const char16_t* value, const char16_t* process) {
    KString text(63, kProcessedLimit);
    KString processText(process);
    const KString source(value);
    text.Assign(source);
    ProcessField(text, &processText);  // warm up buffers
    const uint64_t before = AllocationCount();
    for (auto _ : state) {
        text.Assign(source);
        ProcessField(text, &processText);
        benchmark::DoNotOptimize(text.Chars());
    }
    state.counters["allocs_per_call"] = benchmark::Counter(
        static_cast<double>(AllocationCount() - before) / static_cast<double>(state.iterations()));
}

void BM_TimeOfDay(benchmark::State& state) {
    RunProcess(state, u"0930  lane 4 heat 12", u"%.2s:%.2s");
}
void BM_PacketCounter(benchmark::State& state) {
    RunProcess(state, u"0930  lane 4 heat 12", u"\\X3\\U2\\O9");
}
void BM_TrimAndPad(benchmark::State& state) {
    RunProcess(state, u"   Smith, John      ", u"%s\\L0\\P0\\X20\\R0\\I0");
}
void BM_EscapesOnly(benchmark::State& state) {
    KString text(63, kProcessedLimit);
    const KString source(u"\\02HEAT\\0d\\03 lane 4 x");
    for (auto _ : state) {
        text.Assign(source);
        ExpandEscapes(text);
        benchmark::DoNotOptimize(text.Chars());
    }
}

BENCHMARK(BM_TimeOfDay);
BENCHMARK(BM_PacketCounter);
BENCHMARK(BM_TrimAndPad);
BENCHMARK(BM_EscapesOnly);

}  // namespace

BENCHMARK_MAIN();

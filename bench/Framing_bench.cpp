// Framing a results stream through a script of four definitions and twelve
// fields, single-byte code set: characters per second and heap allocations
// per character once warm.

#include <benchmark/benchmark.h>

#include <string>

#include "AllocationCounter.h"
#include "KMemoryStream.h"
#include "TReceiver.h"

namespace {

struct Count : TPacketSink, TRemoteHandler {
    void DeliverPacket(TFields&) override { ++packets; }
    void ExecuteRemote(const TReceiver&, const KString&) override { ++remote; }
    long packets = 0;
    long remote = 0;
};

std::string Stream() {
    std::string s;
    for (int i = 0; s.size() < (1u << 20); ++i) {
        s += "\x02"
             "C  0:12." +
             std::to_string(10 + i % 90) + "\r\x03";
        if (i % 10 == 0)
            s += "\x02"
                 "H10" +
                 std::to_string(10 + i % 90) + "Men 100m Freestyle\r\x03";
        if (i % 3 == 0) {
            s += "\x02"
                 "L" +
                 std::to_string(i % 8) + " 1Jonathan Smith      USA 52.31\r\x03";
            s += "\x02"
                 "S00120034";
        }
        if (i % 50 == 0) s += "Command=LayoutDraw;Name=Results\n";
    }
    return s;
}

void BM_FrameResults(benchmark::State& state) {
    TReceiver script;
    KString folder(TESSARON_BENCH_DATA);
    if (!script.LoadScript(folder, KString(u"Results.rss"), TReceiver::kDefaultBufferSize)) {
        state.SkipWithError("cannot load the script");
        return;
    }
    Count count;
    script.SetSinks(&count, nullptr, &count);
    const std::string bytes = Stream();
    auto run = [&] {
        KMemoryStream channel(bytes);
        channel.SetReadEncoding(KStream::kSingleByte);
        channel.SetReadLineEnd(0);
        while (script.ReceiveAvailable(channel)) {
        }
    };
    run();  // warm
    const uint64_t before = AllocationCount();
    for (auto _ : state) run();
    const double chars =
        static_cast<double>(bytes.size()) * static_cast<double>(state.iterations());
    // Each pass copies the input into a fresh stream: one allocation per pass.
    state.counters["allocs_per_char"] = benchmark::Counter(
        static_cast<double>(AllocationCount() - before - state.iterations()) / chars);
    state.counters["chars_per_second"] = benchmark::Counter(chars, benchmark::Counter::kIsRate);
    state.counters["packets"] = static_cast<double>(count.packets);
}

BENCHMARK(BM_FrameResults)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

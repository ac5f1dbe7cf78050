// Framing a results stream through a script of four definitions and twelve
// fields, single-byte code set: characters per second and heap allocations
// per character once warm. The same for remote command lines of 40,000
// characters and one of the longest kept (1 MiB characters) between them.

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

// 25 lines of 10,000 items that fire a trigger, then one of 1 MiB characters.
std::string RemoteLines() {
    std::string line;
    while (line.size() < 40000 - 25) line += "k=1;";
    line += "Command=Trigger;Name=F1;\n";
    std::string s;
    for (int i = 0; i < 25; ++i) s += line;
    return s + std::string((1 << 20) - 25, 'k') + "Command=Trigger;Name=F1;\n";
}

// Frames the bytes through the results script, once to warm, then once per
// iteration.
void FrameAndCount(benchmark::State& state, const std::string& bytes) {
    TReceiver script;
    KString folder(TESSARON_BENCH_DATA);
    if (!script.LoadScript(folder, KString(u"Results.rss"), TReceiver::kDefaultBufferSize)) {
        state.SkipWithError("cannot load the script");
        return;
    }
    Count count;
    script.SetSinks(&count, nullptr, &count);
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
    state.counters["remote_lines"] = static_cast<double>(count.remote);
}

void BM_FrameResults(benchmark::State& state) {
    FrameAndCount(state, Stream());
}

void BM_LongRemoteLines(benchmark::State& state) {
    FrameAndCount(state, RemoteLines());
}

BENCHMARK(BM_FrameResults)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LongRemoteLines)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

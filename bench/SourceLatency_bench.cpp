// From a byte written by a loopback peer to its packet delivered by the
// source list, with the program's poll loop: the idle pause between passes, or
// none ("No delay"). Reports the 50th and 99th percentiles in microseconds.

#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "KEvent.h"
#include "KUtf8.h"
#include "TDefaultSettings.h"
#include "TSources.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Delivered : TPacketSink {
    void DeliverPacket(TFields&) override { ++count; }
    int count = 0;
};

void BM_SourceLatency(benchmark::State& state) {
    const bool noDelay = state.range(0) != 0;
    char pattern[] = "/tmp/tessaron-bench-latency-XXXXXX";
    const std::string folder = mkdtemp(pattern);
    std::ofstream(folder + "/Video Display.rss")
        << ";;P\nheader=\\02,length=1\ntrailer=\\03,length=1\ntextfield=T,stop=\\0d\n";
    KRegistry settings;
    ApplyDefaultSettings(settings);
    const std::string port = std::to_string(47960 + state.range(0));
    for (const std::string& line : std::vector<std::string>{
             "Sources\\1\\:=", "Sources\\1\\Name:String=Bench",
             "Sources\\1\\Script:String=Video Display.rss",
             "Sources\\1\\SerialPort:String=-2,127.0.0.1," + port, "Sources\\1\\CharMode:Int=0"}) {
        KString text;
        KAppendUtf8(text, line);
        settings.ApplyLine(text);
    }
    Delivered delivered;
    TSources sources(settings, folder, &delivered, nullptr);
    const int peer = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<uint16_t>(std::stoi(port)));
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    connect(peer, reinterpret_cast<sockaddr*>(&to), sizeof to);
    for (int i = 0; i < 100; ++i) sources.Poll();
    // The peer writes at moments of its own, as a timing system does, while
    // this thread runs the poll loop.
    std::atomic<int64_t> sentAt{0};
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        uint32_t seed = 7;
        while (!stop) {
            while (sentAt != 0 && !stop) std::this_thread::sleep_for(std::chrono::microseconds(50));
            seed = seed * 1103515245 + 12345;
            std::this_thread::sleep_for(std::chrono::microseconds(200 + (seed >> 16) % 2000));
            sentAt = Clock::now().time_since_epoch().count();
            if (write(peer,
                      "\x02"
                      "12:34.5\r\x03",
                      10) != 10)
                break;
        }
    });
    std::vector<double> micros;
    for (auto _ : state) {
        const int before = delivered.count;
        while (delivered.count == before) {
            sources.Poll();
            if (delivered.count == before && !noDelay) KIdlePause();
        }
        const int64_t now = Clock::now().time_since_epoch().count();
        micros.push_back(static_cast<double>(now - sentAt.load()) / 1000.0);
        sentAt = 0;
    }
    stop = true;
    writer.join();
    close(peer);
    std::sort(micros.begin(), micros.end());
    if (!micros.empty()) {
        state.counters["p50_us"] = micros[micros.size() / 2];
        state.counters["p99_us"] = micros[micros.size() * 99 / 100];
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

BENCHMARK(BM_SourceLatency)->Arg(0)->Arg(1)->Iterations(2000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();

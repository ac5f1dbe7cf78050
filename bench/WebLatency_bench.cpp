// The web output beside the board: from the last byte of a running-clock
// packet written by a loopback timing peer, to the band of the changed clock
// copied into the board's pixels (band_*) and to the /board message that
// carries it received by a client on loopback (web_*), with Arg more board
// clients connected and reading at the lowest priority. Percentiles in microseconds.

#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "K3DFonts.h"
#include "KClock.h"
#include "KFrameBufferSurface.h"
#include "KMirroredSurface.h"
#include "KTestSupport.h"
#include "SettingsTestSupport.h"
#include "TDefaultSettings.h"
#include "TDisplayEngine.h"
#include "TSources.h"
#include "TWebOutput.h"
#include "WebTestSupport.h"

namespace {

using Clock = std::chrono::steady_clock;

int64_t Now() {
    return Clock::now().time_since_epoch().count();
}

// The board's own pixels, noting when the first band after a packet came.
struct TimedSurface : KFrameBufferSurface {
    void CopyBand(const KRect& physical, const uint32_t* pixels) override {
        KFrameBufferSurface::CopyBand(physical, pixels);
        const int64_t sent = bandSent.exchange(0);
        if (sent != 0) band.push_back((Now() - sent) / 1000.0);
    }
    std::atomic<int64_t> bandSent{0};
    std::vector<double> band;
};

void Percentiles(benchmark::State& state, const char* name, std::vector<double> micros) {
    std::sort(micros.begin(), micros.end());
    if (micros.empty()) return;
    state.counters[std::string(name) + "_p50_us"] = micros[micros.size() / 2];
    state.counters[std::string(name) + "_p99_us"] = micros[micros.size() * 99 / 100];
}

void BM_WebLatency(benchmark::State& state) {
    const int others = static_cast<int>(state.range(0));
    const uint16_t port = KFreePort();
    KRegistry settings;
    ApplyDefaultSettings(settings);
    ApplyPoolHome(settings, port, 1920, 1080);
    K3DFonts fonts(settings, TESSARON_BIN, nullptr);
    KMonotonicClock clock;
    TimedSurface surface;
    KMirroredSurface screens(surface);
    TDisplayEngine engine(settings, TESSARON_BIN, fonts, screens, clock, {{0, 0, 1919, 1079}},
                          nullptr);
    engine.StartSources();
    if (engine.Layouts().OpenLayout(KTestText(TESSARON_BIN "/layouts/Results.tly")) != 0)
        state.SkipWithError("cannot open the results layout");
    engine.Window().ShowLayout(engine.Layouts().Window(1), -1);
    TWebOutput output(engine, screens);
    TWebOutput::Options options;
    options.server.maxClients = others + 2;
    std::string error;
    if (!output.Start(options, &error)) state.SkipWithError(error.c_str());

    // The measuring client and the others, each reading on a thread of its own.
    std::atomic<int64_t> webSent{0};
    std::mutex webLock;
    std::vector<double> web;
    std::atomic<bool> stop{false};
    std::vector<std::thread> readers;
    for (int i = 0; i <= others; ++i) {
        readers.emplace_back([&, i] {
            // The other clients stand for browsers on other machines: here
            // they take only what the engine and the measuring client leave.
            if (i != 0) setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 19);
            WebSocketClient client;
            if (client.Open(output.Port(), "/board") != 101) return;
            WebSocketClient::Message message;
            while (!stop) {
                if (!client.Read(&message, 100) || i != 0 || message.text) continue;
                const int64_t sent = webSent.exchange(0);
                if (sent == 0) continue;
                std::lock_guard lock(webLock);
                web.push_back((Now() - sent) / 1000.0);
            }
        });
    }

    const int peer = KConnectLoopback(port);
    const auto passFor = [&](int ms) {
        const auto until = Clock::now() + std::chrono::milliseconds(ms);
        std::vector<int> fds;
        std::vector<pollfd> waits;
        while (Clock::now() < until) {
            const bool received = engine.Pass();
            output.Pass();
            if (received) continue;
            fds.clear();
            engine.Sources()->WaitDescriptors(fds);
            waits.clear();
            for (const int fd : fds) waits.push_back({fd, POLLIN, 0});
            poll(waits.data(), waits.size(), 1);
        }
    };
    passFor(500);  // the connection is accepted, the clients have the board

    int tenth = 0;
    for (auto _ : state) {
        char packet[32];
        std::snprintf(packet, sizeof packet,
                      "\x02"
                      "C%3d:%02d.%d\r\x03",
                      1 + tenth / 600, tenth / 10 % 60, tenth % 10);
        ++tenth;
        const int64_t now = Now();
        surface.bandSent = now;
        webSent = now;
        if (write(peer, packet, 12) != 12) state.SkipWithError("the peer cannot write");
        passFor(20);  // more than a sixtieth: every change leaves at once
    }
    stop = true;
    for (std::thread& reader : readers) reader.join();
    close(peer);
    output.Stop();
    Percentiles(state, "band", surface.band);
    std::lock_guard lock(webLock);
    Percentiles(state, "web", web);
}

BENCHMARK(BM_WebLatency)->Arg(0)->Arg(50)->Iterations(1000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

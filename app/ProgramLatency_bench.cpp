// The program's loop and display window, offscreen: from the last byte of a
// running-clock packet written by a loopback timing peer to the band of the
// changed clock copied into the display window's pixels. The pause between
// idle passes is the plain 1 ms or the sleeping one (Arg 1);
// reports the 50th and 99th percentiles in microseconds.

#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "K3DFonts.h"
#include "KClock.h"
#include "KTestSupport.h"
#include "KZDisplaySurface.h"
#include "TDefaultSettings.h"
#include "TDisplayEngine.h"
#include "TSources.h"
#include "TZEventLoop.h"

namespace {

using Clock = std::chrono::steady_clock;

// The display window, noting when a band arrives after a packet was sent.
struct TimedSurface : KZDisplaySurface {
    void CopyBand(const KRect& physical, const uint32_t* pixels) override {
        KZDisplaySurface::CopyBand(physical, pixels);
        const int64_t sent = sentAt->exchange(0);
        if (sent != 0) micros.push_back((Clock::now().time_since_epoch().count() - sent) / 1000.0);
    }
    std::atomic<int64_t>* sentAt = nullptr;
    std::vector<double> micros;
};

// The program's idle work: the engine's pass, until enough samples came.
struct Work : TZIdleWork {
    bool IdlePass(int32_t) override {
        if (surface->micros.size() >= wanted) loop->Quit(0);
        return engine->Pass();
    }
    bool NoDelay() override { return false; }
    void WaitDescriptors(std::vector<int>& out) override {
        engine->Sources()->WaitDescriptors(out);
    }
    int64_t MsUntilDue() override { return engine->MsUntilDue(); }
    void LoopFailed() override {}

    TDisplayEngine* engine = nullptr;
    TimedSurface* surface = nullptr;
    TZEventLoop* loop = nullptr;
    size_t wanted = 0;
};

void BM_ProgramLatency(benchmark::State& state) {
    const bool sleeping = state.range(0) != 0;
    const int port = 47970 + static_cast<int>(state.range(0));
    KRegistry settings;
    ApplyDefaultSettings(settings);
    for (const std::string& line :
         {std::string("Sources\\1\\:="), std::string("Sources\\1\\Name:String=Pool"),
          std::string("Sources\\1\\Script:String=Results.rss"),
          "Sources\\1\\SerialPort:String=-2,127.0.0.1," + std::to_string(port),
          std::string("Sources\\1\\CharMode:Int=0"), std::string("Display\\Monitor:Int=-1"),
          std::string("Display\\Width:Int=1920"), std::string("Display\\Height:Int=1080"),
          std::string("Layout\\AutoResize:Int=3")})
        settings.ApplyLine(KTestText(line));
    K3DFonts fonts(settings, TESSARON_BIN, nullptr);
    KMonotonicClock clock;
    TimedSurface surface;
    std::atomic<int64_t> sentAt{0};
    surface.sentAt = &sentAt;
    TDisplayEngine engine(settings, TESSARON_BIN, fonts, surface, clock, {{0, 0, 1919, 1079}},
                          nullptr);
    engine.StartSources();
    if (engine.Layouts().OpenLayout(KTestText(TESSARON_BIN "/layouts/Results.tly")) != 0)
        state.SkipWithError("cannot open the results layout");
    engine.Window().ShowLayout(engine.Layouts().Window(1), -1);
    surface.show();

    const int peer = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<uint16_t>(port));
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    connect(peer, reinterpret_cast<sockaddr*>(&to), sizeof to);
    for (int i = 0; i < 200; ++i) engine.Pass();  // the connection is accepted

    // The peer writes at moments of its own, as a timing system does.
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        uint32_t seed = 7;
        for (int tenth = 0; !stop; ++tenth) {
            seed = seed * 1103515245 + 12345;
            std::this_thread::sleep_for(std::chrono::microseconds(2000 + (seed >> 16) % 3000));
            char packet[32];
            std::snprintf(packet, sizeof packet,
                          "\x02"
                          "C%3d:%02d.%d\r\x03",
                          1 + tenth / 600, tenth / 10 % 60, tenth % 10);
            sentAt = Clock::now().time_since_epoch().count();
            if (write(peer, packet, 12) != 12) break;
        }
    });
    Work work;
    TZEventLoop loop(work, sleeping);
    work.engine = &engine, work.surface = &surface, work.loop = &loop;
    for (auto _ : state) {
        work.wanted = surface.micros.size() + 1;
        loop.Run();
    }
    stop = true;
    writer.join();
    close(peer);
    std::vector<double> micros = surface.micros;
    std::sort(micros.begin(), micros.end());
    if (!micros.empty()) {
        state.counters["p50_us"] = micros[micros.size() / 2];
        state.counters["p99_us"] = micros[micros.size() * 99 / 100];
    }
}

BENCHMARK(BM_ProgramLatency)->Arg(0)->Arg(1)->Iterations(1000)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}

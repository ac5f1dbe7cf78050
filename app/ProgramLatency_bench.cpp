// From the last byte of a running-clock packet written by a loopback timing
// peer to the changed pixels on the X server, which reports them through
// its DAMAGE extension to a connection of the benchmark's own. The program's
// loop and display window run with the plain 1 ms pause (Arg 0) or the
// sleeping one (Arg 1); beside them a bare X client, woken by a byte on a
// loopback TCP connection as the program is by a packet, puts a rectangle of
// the clock band's size into a window of its own on the same server.
// Reports the 50th and 99th percentiles in microseconds. Needs an X server:
// bench/program-latency.sh runs it on an Xvfb of its own.

#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <xcb/damage.h>
#include <xcb/xcb.h>

#include <QApplication>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <thread>
#include <vector>

#include "K3DFonts.h"
#include "KClock.h"
#include "KTestSupport.h"
#include "KZDisplaySurface.h"
#include "SettingsTestSupport.h"
#include "TDefaultSettings.h"
#include "TDisplayEngine.h"
#include "TSources.h"
#include "TZEventLoop.h"

namespace {

using Clock = std::chrono::steady_clock;

int64_t Now() {
    return Clock::now().time_since_epoch().count();
}

// The size of the band the program copies for a changed clock, for the
// bare client to put the same number of pixels.
KRect clockBand{0, 0, 479, 47};

// Samples: from the moment sent (a writer thread stores it, 0 when none is
// pending) to the first change the X server reports for a window.
class DamageWatch {
  public:
    explicit DamageWatch(uint32_t window) : x_(xcb_connect(nullptr, nullptr)) {
        const xcb_query_extension_reply_t* damage = xcb_get_extension_data(x_, &xcb_damage_id);
        if (!damage || !damage->present) return;
        free(xcb_damage_query_version_reply(x_, xcb_damage_query_version(x_, 1, 1), nullptr));
        notify_ = damage->first_event + XCB_DAMAGE_NOTIFY;
        xcb_damage_create(x_, xcb_generate_id(x_), window, XCB_DAMAGE_REPORT_LEVEL_RAW_RECTANGLES);
        xcb_flush(x_);
        thread_ = std::thread([this] { Watch(); });
    }
    ~DamageWatch() {
        Samples();
        xcb_disconnect(x_);
    }
    bool Works() const { return thread_.joinable(); }
    // Stops watching; the samples taken.
    std::vector<double> Samples() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        return micros_;
    }

    std::atomic<int64_t> sentAt{0};
    std::atomic<size_t> count{0};

  private:
    void Watch() {
        pollfd wait{xcb_get_file_descriptor(x_), POLLIN, 0};
        while (!stop_) {
            if (poll(&wait, 1, 20) <= 0) continue;
            while (xcb_generic_event_t* event = xcb_poll_for_event(x_)) {
                const int64_t sent =
                    (event->response_type & 0x7F) == notify_ ? sentAt.exchange(0) : 0;
                if (sent != 0) {
                    micros_.push_back((Now() - sent) / 1000.0);
                    ++count;
                }
                free(event);
            }
        }
    }

    xcb_connection_t* x_;
    uint8_t notify_ = 0;
    std::vector<double> micros_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// A timing peer that writes at moments of its own, as a timing system does,
// noting when each write's last byte went.
class Peer {
  public:
    Peer(int fd, std::atomic<int64_t>& sentAt, std::function<int(char*, int)> packet)
        : thread_([this, fd, &sentAt, packet] {
              uint32_t seed = 7;
              for (int tenth = 0; !stop_; ++tenth) {
                  seed = seed * 1103515245 + 12345;
                  std::this_thread::sleep_for(
                      std::chrono::microseconds(2000 + (seed >> 16) % 3000));
                  char bytes[32];
                  const int n = packet(bytes, tenth);
                  sentAt = Now();
                  if (write(fd, bytes, n) != n) break;
              }
          }) {}
    ~Peer() {
        stop_ = true;
        thread_.join();
    }

  private:
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

void Report(benchmark::State& state, std::vector<double> micros) {
    std::sort(micros.begin(), micros.end());
    if (micros.empty()) return;
    state.counters["p50_us"] = micros[micros.size() / 2];
    state.counters["p99_us"] = micros[micros.size() * 99 / 100];
}

// The program's idle work: the engine's pass, until enough samples came.
struct Work : TZIdleWork {
    bool IdlePass(int32_t) override {
        if (watch->count >= wanted) loop->Quit(0);
        return engine->Pass();
    }
    bool NoDelay() override { return false; }
    void WaitDescriptors(std::vector<int>& out) override {
        engine->Sources()->WaitDescriptors(out);
    }
    int64_t MsUntilDue() override { return engine->MsUntilDue(); }
    void LoopFailed() override {}

    TDisplayEngine* engine = nullptr;
    DamageWatch* watch = nullptr;
    TZEventLoop* loop = nullptr;
    size_t wanted = 0;
};

// Notes the band of the changed clock.
struct BandSurface : KZDisplaySurface {
    void CopyBand(const KRect& physical, const uint32_t* pixels) override {
        KZDisplaySurface::CopyBand(physical, pixels);
        clockBand = physical;
    }
};

void BM_ProgramLatency(benchmark::State& state) {
    const bool sleeping = state.range(0) != 0;
    const int port = 47970 + static_cast<int>(state.range(0));
    KRegistry settings;
    ApplyDefaultSettings(settings);
    ApplyPoolHome(settings, port, 1280, 720);
    K3DFonts fonts(settings, TESSARON_BIN, nullptr);
    KMonotonicClock clock;
    BandSurface surface;
    TDisplayEngine engine(settings, TESSARON_BIN, fonts, surface, clock, {{0, 0, 1279, 719}},
                          nullptr);
    engine.StartSources();
    if (engine.Layouts().OpenLayout(KTestText(TESSARON_BIN "/layouts/Results.tly")) != 0)
        state.SkipWithError("cannot open the results layout");
    engine.Window().ShowLayout(engine.Layouts().Window(1), -1);
    surface.show();
    DamageWatch watch(static_cast<uint32_t>(surface.winId()));
    if (!watch.Works()) state.SkipWithError("no X server with the DAMAGE extension");

    const int peer = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<uint16_t>(port));
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    connect(peer, reinterpret_cast<sockaddr*>(&to), sizeof to);
    // The connection is accepted and the window shown.
    for (const int64_t end = Now() + 500'000'000; Now() < end;) {
        QApplication::processEvents();
        engine.Pass();
    }

    Work work;
    TZEventLoop loop(work, sleeping);
    work.engine = &engine, work.watch = &watch, work.loop = &loop;
    {
        Peer writer(peer, watch.sentAt, [](char* bytes, int tenth) {
            return std::snprintf(bytes, 32,
                                 "\x02"
                                 "C%3d:%02d.%d\r\x03",
                                 1 + tenth / 600, tenth / 10 % 60, tenth % 10);
        });
        for (auto _ : state) {
            work.wanted = watch.count + 1;
            loop.Run();
        }
    }
    close(peer);
    Report(state, watch.Samples());
}

// A bare X client: a window of its own, and for each byte read from a
// socket one rectangle of the clock band's size put into it.
void BM_BareClient(benchmark::State& state) {
    xcb_connection_t* x = xcb_connect(nullptr, nullptr);
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(x)).data;
    const uint32_t window = xcb_generate_id(x);
    const uint32_t gc = xcb_generate_id(x);
    const uint16_t width = static_cast<uint16_t>(clockBand.Width());
    const uint16_t height = static_cast<uint16_t>(clockBand.Height());
    xcb_create_window(x, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 1280, 720, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
    xcb_create_gc(x, gc, window, 0, nullptr);
    xcb_map_window(x, window);
    free(xcb_get_input_focus_reply(x, xcb_get_input_focus(x), nullptr));
    DamageWatch watch(window);
    if (!watch.Works()) state.SkipWithError("no X server with the DAMAGE extension");
    std::vector<uint32_t> pixels(size_t{width} * height);
    // The byte comes over loopback TCP, as the program's packets do.
    const int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof at;
    bind(listener, reinterpret_cast<sockaddr*>(&at), sizeof at);
    listen(listener, 1);
    getsockname(listener, reinterpret_cast<sockaddr*>(&at), &length);
    int pair[2];
    pair[1] = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    connect(pair[1], reinterpret_cast<sockaddr*>(&at), sizeof at);
    pair[0] = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    close(listener);
    {
        Peer writer(pair[1], watch.sentAt, [](char* bytes, int tenth) {
            bytes[0] = static_cast<char>(tenth);
            return 1;
        });
        pollfd wait{pair[0], POLLIN, 0};
        for (auto _ : state) {
            const size_t wanted = watch.count + 1;
            while (watch.count < wanted) {
                if (poll(&wait, 1, 20) <= 0) continue;
                char byte;
                if (read(pair[0], &byte, 1) != 1) continue;
                std::fill(pixels.begin(), pixels.end(), 0x010101u * static_cast<uint8_t>(byte));
                xcb_put_image(x, XCB_IMAGE_FORMAT_Z_PIXMAP, window, gc, width, height, 0, 0, 0,
                              screen->root_depth, static_cast<uint32_t>(pixels.size() * 4),
                              reinterpret_cast<const uint8_t*>(pixels.data()));
                xcb_flush(x);
            }
        }
    }
    close(pair[0]);
    close(pair[1]);
    Report(state, watch.Samples());
    xcb_disconnect(x);
}

BENCHMARK(BM_ProgramLatency)->Arg(0)->Arg(1)->Iterations(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BareClient)->Iterations(1000)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("DISPLAY")) {
        std::fputs("bench_ProgramLatency needs an X server (bench/program-latency.sh)\n", stderr);
        return 0;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}

// A poll of an idle channel of each kind: the time a read takes to find that
// nothing has arrived. Reading must never wait, and an idle poll allocates
// nothing (it raises no exception either: that would show as time).

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <string>

#include "AllocationCounter.h"
#include "KRegistry.h"
#include "KSerialPort.h"
#include "KSocket.h"
#include "KUtf8.h"
#include "TDefaultSettings.h"

namespace {

KString Text(const std::string& s) {
    KString k;
    KAppendUtf8(k, s);
    return k;
}

void PollIdle(benchmark::State& state, KStream& channel) {
    const uint64_t before = AllocationCount();
    for (auto _ : state) benchmark::DoNotOptimize(channel.Peek());
    state.counters["allocs_per_poll"] =
        static_cast<double>(AllocationCount() - before) / static_cast<double>(state.iterations());
}

void BM_IdleTcp(benchmark::State& state) {
    KTCPSocket server(2048, true);
    server.OpenChannel(Text("-2,127.0.0.1,0"));
    KTCPSocket client(2048, true);
    client.OpenChannel(Text("-1,127.0.0.1," + std::to_string(server.ListeningPort())));
    while (!server.IsOpen() || !client.IsOpen()) usleep(100);
    PollIdle(state, server);
}

void BM_IdleUdp(benchmark::State& state) {
    KUDPSocket udp(2048, 2048);
    udp.OpenChannel(Text("-3,127.0.0.1,47901"));
    PollIdle(state, udp);
}

void BM_IdleSerial(benchmark::State& state) {
    termios raw{};
    cfmakeraw(&raw);
    int master, slave;
    char name[256];
    openpty(&master, &slave, name, &raw, nullptr);
    KRegistry settings;
    ApplyDefaultSettings(settings);
    settings.ApplyLine(Text(std::string("SerialPort\\Devices\\1:String=") + name));
    KSerialPorts::Program().Enumerate(settings, false);
    KSerialPort port(KSerialPort::kRead, 2048, 0);
    port.OpenChannel(Text("1,9600,8,N,1.0"));
    PollIdle(state, port);
    port.Close();
    close(master);
    close(slave);
}

BENCHMARK(BM_IdleTcp)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_IdleUdp)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_IdleSerial)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();

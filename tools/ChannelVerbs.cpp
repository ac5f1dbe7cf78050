#include "ChannelVerbs.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "KEvent.h"
#include "KSerialPort.h"
#include "KSocket.h"
#include "KUtf8.h"
#include "KX.h"
#include "TChannelMenus.h"
#include "TPortSpec.h"
#include "TSettings.h"
#include "ToolStartUp.h"
#include "VerbOptions.h"

namespace {

// Start-up as the program does it: settings of the home, then the ports.
bool StartUp(const std::string& home, TSettings& settings, FILE* err) {
    if (!StartToolSettings(home.empty() ? nullptr : home.c_str(), settings, err)) return false;
    EnumerateToolPorts(settings.Registry());
    return true;
}

// A channel that writes to the port SPEC selects; UDP only sends, so
// that a receiver on this machine gets every datagram.
std::unique_ptr<KStream> FeedChannel(const TPortSpec& spec, KRegistry& settings) {
    const int32_t size = ChannelBufferSize(settings);
    switch (spec.kind) {
        case TPortSpec::kSerial:
            return std::make_unique<KSerialPort>(KSerialPort::kWrite, size, size);
        case TPortSpec::kTcpConnect:
        case TPortSpec::kTcpListen:
            return std::make_unique<KTCPSocket>(size, true);
        case TPortSpec::kUdp:
            return std::make_unique<KUDPSocket>(0, size);
        default:
            return nullptr;
    }
}

void SleepMs(int ms) {
    usleep(static_cast<useconds_t>(ms) * 1000);
}

// Hands bytes to the channel; returns how many it took. Waits, without
// dropping anything, while a TCP peer is away or a serial line is busy.
size_t Offer(KStream& channel, const char* bytes, size_t n) {
    if (!channel.IsOpen() || !channel.IsReady()) {
        SleepMs(1);
        return 0;
    }
    try {
        channel.Write(bytes, static_cast<int32_t>(n));
        channel.Flush();
        return n;
    } catch (const KXStream& e) {
        const int32_t code = e.Code();
        if (code == kErrSocketSendShort || code == kErrSerialTransmitBusy) {
            if (e.Transferred() == 0) SleepMs(1);
            return static_cast<size_t>(e.Transferred());
        }
        SleepMs(1);
        return 0;
    }
}

// Sends all of bytes, pacing them at rate bytes per second when rate > 0.
void SendAll(KStream& channel, const std::string& bytes, size_t chunk, long rate, uint64_t start,
             uint64_t* sent) {
    for (size_t at = 0; at < bytes.size();) {
        if (rate > 0) {
            const uint64_t due = start + *sent * 1000 / static_cast<uint64_t>(rate);
            const uint64_t now = KTickCount();
            if (due > now) SleepMs(static_cast<int>(due - now));
        }
        const size_t n = Offer(channel, bytes.data() + at, std::min(chunk, bytes.size() - at));
        at += n;
        *sent += n;
    }
}

// A swim meet in the example results protocol, in real time until stopped:
// the running clock every 100 ms, a heat with its lane results every ten
// seconds, and now and then a remote command to draw the results layout.
void FeedDemo(KStream& channel) {
    static const char* const kNames[] = {"Jonathan Smith", "Lukas Berger", "Kenji Sato",
                                         "Pierre Martin",  "Tom Hughes",   "Marco Rossi",
                                         "Erik Lund",      "Diego Alves"};
    static const char* const kTeams[] = {"USA ", "GER ", "JPN ", "FRA ",
                                         "GBR ", "ITA ", "SWE ", "BRA "};
    uint64_t sent = 0;
    for (int tick = 0;; ++tick) {
        const int tenths = tick % 600;
        char packet[128];
        std::snprintf(packet, sizeof packet,
                      "\x02"
                      "C%3d:%02d.%d\r\x03",
                      tenths / 600, tenths / 10 % 60, tenths % 10);
        std::string burst = packet;
        if (tick % 100 == 0) {
            const int heat = tick / 100 % 8 + 1;
            std::snprintf(packet, sizeof packet,
                          "\x02"
                          "H101%02dMen 100m Freestyle\r\x03",
                          heat);
            burst += packet;
            for (int lane = 1; lane <= 8; ++lane) {
                const int place = (lane * 5 + heat) % 8 + 1;
                std::snprintf(packet, sizeof packet,
                              "\x02"
                              "L%d%2d%-20s%s%d.%02d\r\x03",
                              lane, place, kNames[lane - 1], kTeams[lane - 1], 50 + place,
                              (lane * 37 + heat * 11) % 100);
                burst += packet;
            }
        }
        if (tick % 150 == 75) burst += "Command=LayoutDraw;Name=Results\n";
        SendAll(channel, burst, 1024, 0, 0, &sent);
        SleepMs(100);
    }
}

}  // namespace

int RunPortsVerb(int argc, char** argv, FILE* out, FILE* err) {
    CLI::App verb("Lists the serial ports as the program sees them.", "ports");
    std::string home;
    verb.add_option("--home", home, "the program's home folder");
    if (const int done = ParseVerbOptions(verb, argc, argv, out, err); done >= 0) return done;
    TSettings settings;
    if (!StartUp(home, settings, err)) return 1;
    for (const auto& port : KSerialPorts::Program().Ports()) {
        const std::string label = KUtf8Of(port->label);
        std::fprintf(out, "%d\t%s\t%s\n", port->number, label.c_str(), port->device.c_str());
    }
    return 0;
}

int RunFeedVerb(int argc, char** argv, FILE* out, FILE* err) {
    CLI::App verb("Sends a file through a channel, to test a display without the timing system.",
                  "feed");
    std::string home, to, file;
    long rate = 0, repeat = 1;
    bool demo = false;
    verb.add_option("--home", home, "the program's home folder");
    verb.add_option("--to", to, "the port specification of the channel")->required();
    verb.add_option("--rate", rate, "bytes per second (default: as fast as the channel takes)")
        ->check(CLI::NonNegativeNumber);
    verb.add_option("--repeat", repeat, "send the file this many times")
        ->check(CLI::PositiveNumber);
    CLI::Option* demoOption =
        verb.add_flag("--demo", demo, "send the demo's swim meet until stopped");
    verb.add_option("FILE", file, "the bytes to send (standard input when absent)")
        ->excludes(demoOption);
    if (const int done = ParseVerbOptions(verb, argc, argv, out, err); done >= 0) return done;

    std::string bytes;
    if (!demo) {
        std::ifstream in(file.empty() ? "/dev/stdin" : file, std::ios::binary);
        if (!in) {
            std::fprintf(err, "tessaron-cli feed: cannot read %s\n", file.c_str());
            return 1;
        }
        std::ostringstream all;
        all << in.rdbuf();
        bytes = all.str();
    }
    TSettings settings;
    if (!StartUp(home, settings, err)) return 1;
    KString specText;
    KAppendUtf8(specText, to);
    const TPortSpec spec = TPortSpec::Parse(specText);
    std::unique_ptr<KStream> channel = FeedChannel(spec, settings.Registry());
    if (!channel || !channel->OpenChannel(specText)) {
        std::fprintf(err, "tessaron-cli feed: cannot open %s\n", to.c_str());
        return 1;
    }
    if (demo) FeedDemo(*channel);
    // A serial line is paced by its own speed: ten bit times a byte.
    if (rate == 0 && spec.kind == TPortSpec::kSerial) rate = std::max(spec.baud / 10, 1);
    const size_t chunk = spec.kind == TPortSpec::kUdp
                             ? static_cast<size_t>(KUDPSocket::kLargestDatagram)
                         : rate > 0 ? std::clamp<size_t>(static_cast<size_t>(rate) / 100, 1, 1024)
                                    : 1024;
    // The pace counts from the moment the peer is there.
    while (!channel->IsOpen()) SleepMs(1);
    const uint64_t start = KTickCount();
    uint64_t sent = 0;
    for (long round = 0; round < repeat; ++round)
        SendAll(*channel, bytes, chunk, rate, start, &sent);
    std::fflush(out);
    channel->Close();
    return 0;
}

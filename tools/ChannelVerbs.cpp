#include "ChannelVerbs.h"

#include <unistd.h>

#include <algorithm>
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
#include "TProgramHome.h"
#include "TSettings.h"

namespace {

// Start-up as the program does it: settings of the home, then the ports.
bool StartUp(const char* homeOption, TSettings& settings, FILE* err) {
    const std::string home = ResolveProgramHome(homeOption);
    if (home.empty()) {
        std::fputs("tessaron-cli: no usable home folder\n", err);
        return false;
    }
    if (settings.Start(home) != 0) std::fprintf(err, "tessaron-cli: cannot read %s\n", settings.ConfigPath().c_str());
    KSerialPorts::Program().Enumerate(settings.Registry(), false);
    return true;
}

// A channel that writes what the specification selects; UDP only sends, so
// that a receiver on this machine gets every datagram.
std::unique_ptr<KStream> FeedChannel(const TPortSpec& spec, KRegistry& settings) {
    const int32_t size = ChannelBufferSize(settings);
    switch (spec.kind) {
        case TPortSpec::kSerial: return std::make_unique<KSerialPort>(KSerialPort::kWrite, size, size);
        case TPortSpec::kTcpConnect:
        case TPortSpec::kTcpListen: return std::make_unique<KTCPSocket>(size, true);
        case TPortSpec::kUdp: return std::make_unique<KUDPSocket>(0, size);
        default: return nullptr;
    }
}

void SleepMs(int ms) { usleep(static_cast<useconds_t>(ms) * 1000); }

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

}  // namespace

int RunPortsVerb(int argc, char** argv, FILE* out, FILE* err) {
    const char* home = nullptr;
    if (argc == 2 && std::strcmp(argv[0], "--home") == 0) {
        home = argv[1];
    } else if (argc != 0) {
        std::fputs("usage: tessaron-cli ports [--home DIR]\n", err);
        return 2;
    }
    TSettings settings;
    if (!StartUp(home, settings, err)) return 1;
    for (const auto& port : KSerialPorts::Program().Ports()) {
        const std::string label = KUtf8Of(port->label);
        std::fprintf(out, "%d\t%s\t%s\n", port->number, label.c_str(), port->device.c_str());
    }
    return 0;
}

int RunFeedVerb(int argc, char** argv, FILE* out, FILE* err) {
    const char* home = nullptr;
    const char* to = nullptr;
    const char* file = nullptr;
    long rate = 0, repeat = 1;
    for (int i = 0; i < argc; ++i) {
        const bool value = i + 1 < argc;
        if (!std::strcmp(argv[i], "--home") && value) {
            home = argv[++i];
        } else if (!std::strcmp(argv[i], "--to") && value) {
            to = argv[++i];
        } else if (!std::strcmp(argv[i], "--rate") && value) {
            rate = std::strtol(argv[++i], nullptr, 10);
        } else if (!std::strcmp(argv[i], "--repeat") && value) {
            repeat = std::strtol(argv[++i], nullptr, 10);
        } else if (argv[i][0] != '-' && !file) {
            file = argv[i];
        } else {
            to = nullptr;
            break;
        }
    }
    if (!to || rate < 0 || repeat < 1) {
        std::fputs("usage: tessaron-cli feed [--home DIR] --to SPEC [--rate BYTES_PER_SECOND] [--repeat N] [FILE]\n", err);
        return 2;
    }
    std::string bytes;
    {
        std::ifstream in(file ? file : "/dev/stdin", std::ios::binary);
        if (!in) {
            std::fprintf(err, "tessaron-cli feed: cannot read %s\n", file);
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
        std::fprintf(err, "tessaron-cli feed: cannot open %s\n", to);
        return 1;
    }
    // A serial line is paced by its own speed: ten bit times a byte.
    if (rate == 0 && spec.kind == TPortSpec::kSerial) rate = std::max(spec.baud / 10, 1);
    const size_t chunk = spec.kind == TPortSpec::kUdp ? static_cast<size_t>(KUDPSocket::kLargestDatagram)
                         : rate > 0 ? std::clamp<size_t>(static_cast<size_t>(rate) / 100, 1, 1024)
                                    : 1024;
    const uint64_t start = KTickCount();
    uint64_t sent = 0;
    for (long round = 0; round < repeat; ++round) {
        for (size_t at = 0; at < bytes.size();) {
            if (rate > 0) {
                const uint64_t due = start + sent * 1000 / static_cast<uint64_t>(rate);
                const uint64_t now = KTickCount();
                if (due > now) SleepMs(static_cast<int>(due - now));
            }
            const size_t n = Offer(*channel, bytes.data() + at, std::min(chunk, bytes.size() - at));
            at += n;
            sent += n;
        }
    }
    std::fflush(out);
    channel->Close();
    return 0;
}

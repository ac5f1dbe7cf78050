// An arbitrary script and arbitrary channel bytes: the first two bytes give
// the script's length, the next one the code set and the packet-buffer size,
// the next one the seed of the chunk sizes. The channel bytes are framed
// twice, arriving whole and arriving in chunks of 1 to 64 bytes; what comes
// out must be the same, wherever the chunks split the characters.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "KChunkedStream.h"
#include "KUtf8.h"
#include "TFieldStringProcessor.h"
#include "TReceiver.h"

namespace {

// Writes down everything the receiver hands out, in order.
struct Sink : TPacketSink, TTraceSink, TRemoteHandler {
    void DeliverPacket(TFields& d) override {
        seen += "P";
        for (const TField& field : d.fields) seen += KUtf8OfUnits(field.value) + "|";
    }
    void TraceChar(const TReceiver&, KChar) override {}
    void TraceEvent(const TReceiver&, const KString& text) override {
        seen += "E" + KUtf8OfUnits(text);
    }
    void ExecuteRemote(const TReceiver&, const KString& line) override {
        seen += "R" + KUtf8OfUnits(line);
    }
    std::string seen;
};

const std::string& ScriptPath() {
    static const std::string path =
        "/tmp/tessaron-fuzz-script-" + std::to_string(getpid()) + ".rss";
    return path;
}

// Frames bytes with the script: whole without a seed, else in chunks of
// random size. The field processor's registers start at zero each time, as
// a process text may count across packets.
std::string Frame(const std::string& bytes, uint8_t mode, uint32_t seed = 0) {
    // Registers 0 to 9, and 10 names the spare one.
    for (int32_t r = 0; r <= 10; ++r) TheFieldProcessor().SetRegister(r, 0);
    TReceiver receiver;
    Sink sink;
    receiver.SetSinks(&sink, &sink, &sink);
    KString path;
    KAppendUtf8(path, ScriptPath());
    if (!receiver.LoadScript(KString(u""), path, 1 + (mode >> 2) * 64)) return "not loaded";
    KChunkedStream channel(bytes);
    channel.SetReadEncoding(mode & 3);
    channel.SetReadLineEnd(0);
    const bool whole = seed == 0;
    do {
        while (receiver.ReceiveAvailable(channel)) {
        }
        seed = seed * 1103515245 + 12345;
    } while (channel.Arrive(whole ? bytes.size() : 1 + (seed >> 16) % 64));
    return sink.seen;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4) return 0;
    const size_t scriptLength = std::min<size_t>(data[0] | data[1] << 8, size - 4);
    const uint8_t mode = data[2];
    const uint32_t seed = data[3] | 0x100u;
    FILE* f = std::fopen(ScriptPath().c_str(), "wb");
    if (!f) return 0;
    std::fwrite(data + 4, 1, scriptLength, f);
    std::fclose(f);
    const std::string bytes(reinterpret_cast<const char*>(data + 4 + scriptLength),
                            size - 4 - scriptLength);
    if (Frame(bytes, mode) != Frame(bytes, mode, seed)) std::abort();
    return 0;
}

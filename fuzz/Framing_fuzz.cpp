// An arbitrary script and arbitrary channel bytes: the first two bytes give
// the script's length, the next one the code set and the packet-buffer size.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "KMemoryStream.h"
#include "KUtf8.h"
#include "TScript.h"

namespace {

struct Sink : TPacketSink, TTraceSink, TRemoteHandler {
    void DeliverPacket(TFields& d) override {
        for (KListItem* p = d.fields.Head(); p; p = p->Next())
            total += static_cast<TField*>(p)->value.Length();
    }
    void TraceChar(const TScript&, KChar) override {}
    void TraceEvent(const TScript&, const KString& text) override { total += text.Length(); }
    void ExecuteRemote(const TScript&, const KString& line) override { total += line.Length(); }
    size_t total = 0;
};

const std::string& ScriptPath() {
    static const std::string path =
        "/tmp/tessaron-fuzz-script-" + std::to_string(getpid()) + ".rss";
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    const size_t scriptLength = std::min<size_t>(data[0] | data[1] << 8, size - 3);
    const uint8_t mode = data[2];
    FILE* f = std::fopen(ScriptPath().c_str(), "wb");
    if (!f) return 0;
    std::fwrite(data + 3, 1, scriptLength, f);
    std::fclose(f);

    TScript script;
    Sink sink;
    script.SetSinks(&sink, &sink, &sink);
    KString path;
    KAppendUtf8(path, ScriptPath());
    if (!script.LoadScript(KString(u""), path, 1 + (mode >> 2) * 64)) return 0;
    KMemoryStream channel(std::string(reinterpret_cast<const char*>(data + 3 + scriptLength),
                                      size - 3 - scriptLength));
    channel.SetReadEncoding(mode & 3);
    channel.SetReadLineEnd(0);
    while (script.ReceiveAvailable(channel)) {
    }
    return 0;
}

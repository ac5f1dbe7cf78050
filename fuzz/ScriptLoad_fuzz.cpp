// Arbitrary bytes as a script file: loading, then framing the same bytes.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "KMemoryStream.h"
#include "KUtf8.h"
#include "TReceiver.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = "/tmp/tessaron-fuzz-load-" + std::to_string(getpid()) + ".rss";
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    TReceiver script;
    KString name;
    KAppendUtf8(name, path);
    if (!script.LoadScript(KString(u""), name, 4096)) return 0;
    KMemoryStream channel(std::string(reinterpret_cast<const char*>(data), size));
    channel.SetReadLineEnd(0);
    while (script.ReceiveAvailable(channel)) {
    }
    return 0;
}

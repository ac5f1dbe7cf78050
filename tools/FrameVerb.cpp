#include "FrameVerb.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>

#include "JsonText.h"
#include "KBufferedFile.h"
#include "KUtf8.h"
#include "KX.h"
#include "TScript.h"

namespace {

int Usage(FILE* err) {
    std::fputs(
        "usage: tessaron-cli frame [--charmode 0|1|2] [--source NAME] [--buffer N] [--trace] "
        "[--quiet] [--stats] SCRIPT [INPUT]\n",
        err);
    return 2;
}

bool ParseCount(const char* text, long low, long high, long* out) {
    char* end = nullptr;
    long v = std::strtol(text, &end, 10);
    if (!*text || *end || v < low || v > high) return false;
    *out = v;
    return true;
}

// Writes what the script recognises as JSON lines, counting as it goes.
class FrameOutput : public TPacketSink, public TTraceSink, public TRemoteHandler {
  public:
    FrameOutput(FILE* out, bool quiet) : out_(out), quiet_(quiet) {}

    void DeliverPacket(TFields& definition) override {
        ++packets;
        if (quiet_) return;
        line_ = "{";
        AppendPacketMembers(line_, definition);
        Emit();
    }
    void TraceChar(const TScript&, KChar) override {}
    void TraceEvent(const TScript&, const KString& text) override {
        if (quiet_) return;
        line_ = "{\"trace\":";
        AppendJsonString(line_, text);
        Emit();
    }
    void ExecuteRemote(const TScript&, const KString& line) override {
        ++remote;
        if (quiet_) return;
        line_ = "{\"remote\":";
        AppendJsonString(line_, line);
        Emit();
    }

    long long packets = 0;
    long long remote = 0;

  private:
    void Emit() {
        line_ += "}\n";
        std::fwrite(line_.data(), 1, line_.size(), out_);
    }

    FILE* out_;
    bool quiet_;
    std::string line_;
};

}  // namespace

int RunFrameVerb(int argc, char** argv, FILE* out, FILE* err) {
    long charMode = 0;
    long buffer = TScript::kDefaultBufferSize;
    const char* source = "Source";
    bool trace = false, quiet = false, stats = false;
    int i = 0;
    for (; i < argc && argv[i][0] == '-' && argv[i][1] == '-'; ++i) {
        const char* a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (!std::strcmp(a, "--charmode") && hasValue) {
            if (!ParseCount(argv[++i], 0, 2, &charMode)) return Usage(err);
        } else if (!std::strcmp(a, "--buffer") && hasValue) {
            if (!ParseCount(argv[++i], 1, 0x7FFFFFFE, &buffer)) return Usage(err);
        } else if (!std::strcmp(a, "--source") && hasValue) {
            source = argv[++i];
        } else if (!std::strcmp(a, "--trace")) {
            trace = true;
        } else if (!std::strcmp(a, "--quiet")) {
            quiet = true;
        } else if (!std::strcmp(a, "--stats")) {
            stats = true;
        } else {
            return Usage(err);
        }
    }
    if (argc - i < 1 || argc - i > 2) return Usage(err);

    TScript script;
    KString name;
    KAppendUtf8(name, source, std::strlen(source));
    script.SetSourceName(name);
    KString scriptPath;
    KAppendUtf8(scriptPath, argv[i], std::strlen(argv[i]));
    if (!script.LoadScript(KString(u""), scriptPath, static_cast<int32_t>(buffer))) {
        std::fprintf(err, "tessaron-cli frame: cannot read the script %s\n", argv[i]);
        return 1;
    }
    KString inputPath;
    KAppendUtf8(inputPath, i + 1 < argc ? argv[i + 1] : "/dev/stdin");
    KBufferedFile input(inputPath, 65536);
    try {
        input.Open(KFile::kRead, false);
    } catch (const KX&) {
        std::fprintf(err, "tessaron-cli frame: cannot read the input %s\n",
                     i + 1 < argc ? argv[i + 1] : "-");
        return 1;
    }
    // Bytes arrive as from a channel: decoded by the code set, line ends untouched.
    static const int kEncodings[] = {KStream::kSingleByte, KStream::kUtf16, KStream::kNative};
    input.SetReadEncoding(kEncodings[charMode]);
    input.SetReadLineEnd(0);

    FrameOutput output(out, quiet);
    script.SetSinks(&output, trace ? &output : nullptr, &output);
    const auto start = std::chrono::steady_clock::now();
    while (script.ReceiveAvailable(input)) {
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::fflush(out);
    if (stats) {
        std::fprintf(
            err, "{\"stats\":{\"chars\":%lld,\"packets\":%lld,\"remote\":%lld,\"seconds\":%.3f}}\n",
            static_cast<long long>(script.CharsReceived()), output.packets, output.remote, seconds);
    }
    return 0;
}

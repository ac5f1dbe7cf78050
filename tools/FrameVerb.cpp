#include "FrameVerb.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>

#include "JsonText.h"
#include "KBufferedFile.h"
#include "KUtf8.h"
#include "TReceiver.h"
#include "VerbOptions.h"

namespace {

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
    void TraceChar(const TReceiver&, KChar) override {}
    void TraceEvent(const TReceiver&, const KString& text) override {
        if (quiet_) return;
        line_ = "{\"trace\":";
        AppendJsonString(line_, text);
        Emit();
    }
    void ExecuteRemote(const TReceiver&, const KString& line) override {
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
    CLI::App verb(
        "Frames captured bytes with a source script as a live source does and writes "
        "what it finds as JSON lines.",
        "frame");
    int32_t charMode = 0;
    int32_t buffer = TReceiver::kDefaultBufferSize;
    std::string source = "Source", scriptFile, inputFile;
    bool trace = false, quiet = false, stats = false;
    verb.add_option("--charmode", charMode, "code set: 0 single byte, 1 UTF-16, 2 UTF-8")
        ->check(CLI::Range(0, 2));
    verb.add_option("--source", source, "the source's name");
    verb.add_option("--buffer", buffer, "packet buffer size in characters")
        ->check(CLI::Range(1, TReceiver::kMaxBufferSize));
    verb.add_flag("--trace", trace, "also write the header and trailer events");
    verb.add_flag("--quiet", quiet, "write no JSON lines");
    verb.add_flag("--stats", stats, "write counts and the time taken to standard error");
    verb.add_option("SCRIPT", scriptFile, "the source script")->required();
    verb.add_option("INPUT", inputFile, "the captured bytes (standard input when absent)");
    if (const int done = ParseVerbOptions(verb, argc, argv, out, err); done >= 0) return done;

    TReceiver script;
    KString name;
    KAppendUtf8(name, source);
    script.SetSourceName(name);
    KString scriptPath;
    KAppendUtf8(scriptPath, scriptFile);
    if (!script.LoadScript(KString(u""), scriptPath, buffer)) {
        std::fprintf(err, "tessaron-cli frame: cannot read the script %s\n", scriptFile.c_str());
        return 1;
    }
    KString inputPath;
    KAppendUtf8(inputPath, inputFile.empty() ? "/dev/stdin" : inputFile);
    KBufferedFile input(inputPath, 65536);
    if (input.TryOpen(KFile::kRead, false) != 0) {
        std::fprintf(err, "tessaron-cli frame: cannot read the input %s\n",
                     inputFile.empty() ? "-" : inputFile.c_str());
        return 1;
    }
    // Bytes arrive as from a channel: decoded by the code set, line ends untouched.
    input.SetReadEncoding(TReceiver::EncodingOfCodeSet(charMode));
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

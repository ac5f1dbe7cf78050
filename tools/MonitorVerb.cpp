#include "MonitorVerb.h"

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "JsonText.h"
#include "KEvent.h"
#include "KLog.h"
#include "KUtf8.h"
#include "TSettings.h"
#include "TSources.h"
#include "ToolStartUp.h"

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void RequestStop(int) {
    stopRequested = 1;
}

// Writes what the sources deliver as JSON lines, each flushed at once.
class MonitorOutput : public TPacketSink, public TRemoteHandler {
  public:
    explicit MonitorOutput(FILE* out) : out_(out) {}

    void DeliverPacket(TFields& definition) override {
        Begin(definition.owner ? definition.owner->SourceName() : KString(u""));
        AppendPacketMembers(line_, definition);
        End();
    }
    void ExecuteRemote(const TScript& source, const KString& command) override {
        Begin(source.SourceName());
        line_ += "\"remote\":";
        AppendJsonString(line_, command);
        End();
    }
    void Status(const KString& source, const KString& status) {
        Begin(source);
        line_ += "\"status\":";
        AppendJsonString(line_, status);
        End();
    }

  private:
    void Begin(const KString& source) {
        line_ = "{\"source\":";
        AppendJsonString(line_, source);
        line_ += ',';
    }
    void End() {
        line_ += "}\n";
        std::fwrite(line_.data(), 1, line_.size(), out_);
        std::fflush(out_);
    }

    FILE* out_;
    std::string line_;
};

}  // namespace

int RunMonitorVerb(int argc, char** argv, FILE* out, FILE* err) {
    const char* homeOption = nullptr;
    double seconds = -1;
    for (int i = 0; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--home") && i + 1 < argc) {
            homeOption = argv[++i];
        } else if (!std::strcmp(argv[i], "--seconds") && i + 1 < argc) {
            seconds = std::strtod(argv[++i], nullptr);
        } else {
            std::fputs("usage: tessaron-cli monitor [--home DIR] [--seconds N]\n", err);
            return 2;
        }
    }
    TSettings settings;
    if (!StartToolSettings(homeOption, settings, err)) return 1;
    KRegistry& registry = settings.Registry();
    EnumerateToolPorts(registry);
    // The log of this run, deleted at the end when nothing was written to it.
    KString logPath;
    KAppendUtf8(logPath, settings.Home() + "/tessaron.log");
    KLog log(logPath);
    TSources::Prepare(registry, settings.ConfigLoaded());

    std::signal(SIGINT, RequestStop);
    std::signal(SIGTERM, RequestStop);
    std::signal(SIGPIPE, SIG_IGN);
    MonitorOutput output(out);
    {
        TSources sources(registry, settings.Home(), &output, &output);
        const KRInt* optimize = registry.FindInt(KString(u"\\Display\\Optimize"));
        const bool noDelay = optimize && (optimize->value & 1);
        std::vector<std::string> shown(static_cast<size_t>(sources.List().Count()));
        const uint64_t start = KTickCount();
        uint64_t statusDue = 0;
        while (!stopRequested &&
               (seconds < 0 || static_cast<double>(KTickCount() - start) < seconds * 1000)) {
            sources.Poll();
            // Status texts are looked at ten times a second, not on every pass.
            const uint64_t now = KTickCount();
            if (now >= statusDue) {
                statusDue = now + 100;
                size_t i = 0;
                for (KListItem* p = sources.List().Head(); p; p = p->Next(), ++i) {
                    auto* source = static_cast<TSource*>(p);
                    const KString& status = sources.SourceStatus(source->group);
                    const std::string text = KUtf8Of(status);
                    if (text != shown[i]) {
                        shown[i] = text;
                        output.Status(source->SourceName(), status);
                    }
                }
            }
            if (!noDelay) {
                const timespec oneMillisecond{0, 1000000};
                nanosleep(&oneMillisecond, nullptr);
            }
        }
    }
    if (settings.Save() != 0) {
        std::fprintf(err, "tessaron-cli monitor: cannot save %s\n", settings.ConfigPath().c_str());
        return 1;
    }
    return 0;
}

#include "MonitorVerb.h"

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <string>

#include "JsonText.h"
#include "KEvent.h"
#include "KLog.h"
#include "KUtf8.h"
#include "TSettings.h"
#include "TSources.h"
#include "TStatusWatch.h"
#include "ToolStartUp.h"
#include "VerbOptions.h"

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void RequestStop(int) {
    stopRequested = 1;
}

// Writes what the sources deliver as JSON lines. The loop flushes them after
// every pass, so that a follower sees each line as soon as it is framed while
// a busy stream is written in blocks.
class MonitorOutput : public TPacketSink, public TRemoteHandler {
  public:
    // A busy stream is written in large blocks: few writes.
    explicit MonitorOutput(FILE* out) : out_(out) { std::setvbuf(out_, nullptr, _IOFBF, kBlock); }

    void DeliverPacket(TFields& definition) override {
        WritePacketObject(line_, definition);
        End();
    }
    void ExecuteRemote(const TReceiver& source, const KString& command) override {
        WriteRemoteObject(line_, source.SourceName(), command);
        End();
    }
    void Flush() { std::fflush(out_); }
    void Status(const KString& source, const KString& status) {
        WriteStatusObject(line_, source, status);
        End();
    }

  private:
    void End() {
        line_ += '\n';
        std::fwrite(line_.data(), 1, line_.size(), out_);
    }

    static constexpr size_t kBlock = 1 << 20;
    FILE* out_;
    std::string line_;
};

// The program's poll cycle: a pass over the sources, then the idle pause when
// the pass found nothing (none with "No delay"), until the time is up or a
// stop signal came. Status texts are looked at ten times a second.
void PollUntilStopped(TSources& sources, MonitorOutput& output, double seconds, bool noDelay) {
    TStatusWatch statuses(sources);
    const uint64_t start = KTickCount();
    uint64_t statusDue = 0;
    while (!stopRequested &&
           (seconds < 0 || static_cast<double>(KTickCount() - start) < seconds * 1000)) {
        // The status comes first, so that the start status precedes any packet.
        const uint64_t now = KTickCount();
        if (now >= statusDue) {
            statusDue = now + 100;
            statuses.Check([&output](const KString& source, const KString& status) {
                output.Status(source, status);
            });
        }
        const bool received = sources.Poll();
        output.Flush();
        if (!received && !noDelay) KIdlePause();
    }
}

}  // namespace

int RunMonitorVerb(int argc, char** argv, FILE* out, FILE* err) {
    CLI::App verb(
        "Runs the sources of the home as the program does and writes their packets, "
        "remote command lines and status changes as JSON lines.",
        "monitor");
    std::string home;
    double seconds = -1;
    verb.add_option("--home", home, "the program's home folder");
    verb.add_option("--seconds", seconds, "stop after this many seconds (default: when stopped)")
        ->check(CLI::NonNegativeNumber);
    if (const int done = ParseVerbOptions(verb, argc, argv, out, err); done >= 0) return done;

    TSettings settings;
    if (!StartToolSettings(home.empty() ? nullptr : home.c_str(), settings, err, true)) return 1;
    KRegistry& registry = settings.Registry();
    EnumerateToolPorts(registry);
    // The log of this run, deleted at the end when nothing was written to it.
    KString logPath;
    KAppendUtf8(logPath, settings.Home() + "/tessaron.log");
    KLog log(logPath);
    KLog::SetProgramLog(&log);
    // Only a fresh installation gets a first source; a configuration that
    // could not be read is not one.
    TSources::Prepare(registry, settings.ConfigLoaded() || settings.ConfigFailed());

    std::signal(SIGINT, RequestStop);
    std::signal(SIGTERM, RequestStop);
    std::signal(SIGPIPE, SIG_IGN);
    MonitorOutput output(out);
    {
        TSources sources(registry, settings.Home(), &output, &output);
        const KRInt* optimize = registry.FindInt(KString(u"\\Display\\Optimize"));
        const bool noDelay = optimize && (optimize->value & 1);
        PollUntilStopped(sources, output, seconds, noDelay);
    }
    return SaveToolSettings(settings, "monitor", err) ? 0 : 1;
}

#include "ServeVerb.h"

#include <poll.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "K3DFonts.h"
#include "KClock.h"
#include "KFrameBufferSurface.h"
#include "KLog.h"
#include "KMirroredSurface.h"
#include "KRValues.h"
#include "KStopSignals.h"
#include "KUtf8.h"
#include "TDisplayEngine.h"
#include "TSettings.h"
#include "TSources.h"
#include "TWebOutput.h"
#include "ToolStartUp.h"
#include "VerbOptions.h"

namespace {

// The port when neither --listen nor \Web\Port gives one.
constexpr int32_t kDefaultPort = 8080;

// "ADDR:PORT" with a port of 0-65535 (0 picks a free one).
bool ParseListen(const std::string& text, std::string* address, int32_t* port) {
    const size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 == text.size()) return false;
    const std::string digits = text.substr(colon + 1);
    if (digits.size() > 5 || digits.find_first_not_of("0123456789") != std::string::npos)
        return false;
    *port = std::stoi(digits);
    *address = text.substr(0, colon);
    return *port <= 65535;
}

// The window's size: the one asked for as the only monitor and the window's
// own rectangle; else a 1920 x 1080 monitor.
std::vector<KRect> Monitors(const std::string& size, KRegistry& settings) {
    int32_t width = 1920, height = 1080;
    if (!size.empty()) {
        ParseSizeOption(size, KFrameBufferSurface::kMaxSide, &width, &height);
        if (KRInt* w = settings.FindInt(KString(u"\\Display\\Width"))) w->value = width;
        if (KRInt* h = settings.FindInt(KString(u"\\Display\\Height"))) h->value = height;
    }
    return {{0, 0, width - 1, height - 1}};
}

// The program's loop without a window: passes, then a pause of at most 1 ms
// (none with "No delay" or when a source had more) that a source's data, a
// web request or a stop signal ends early.
void RunUntilStopped(TDisplayEngine& engine, TWebOutput& output, KStopSignals& signals) {
    std::vector<int> descriptors;
    std::vector<pollfd> waits;
    while (!signals.Take()) {
        const bool received = engine.Pass();
        output.Pass();
        if (received || engine.Window().NoDelay()) continue;
        descriptors.clear();
        if (TSources* sources = engine.Sources()) sources->WaitDescriptors(descriptors);
        descriptors.push_back(output.Descriptor());
        descriptors.push_back(signals.Descriptor());
        waits.clear();
        for (const int fd : descriptors)
            if (fd >= 0) waits.push_back({fd, POLLIN, 0});
        poll(waits.data(), waits.size(), 1);
    }
}

}  // namespace

int RunServeVerb(int argc, char** argv, FILE* out, FILE* err) {
    CLI::App verb(
        "Runs the layouts live on the home's sources, without a window, and serves the board, "
        "the live fields and the operator page on the web.",
        "serve");
    std::string home, size, listen;
    std::vector<std::string> layouts;
    verb.add_option("--home", home, "the program's home folder");
    verb.add_option("--size", size, "the board's size WxH (default: placed by the settings)")
        ->check([](const std::string& text) {
            int32_t w, h;
            return ParseSizeOption(text, KFrameBufferSurface::kMaxSide, &w, &h)
                       ? ""
                       : "not WxH: " + text;
        });
    verb.add_option("--listen", listen, "ADDR:PORT to listen on (default: the Web settings)")
        ->check([](const std::string& text) {
            std::string address;
            int32_t port;
            return ParseListen(text, &address, &port) ? "" : "not ADDR:PORT: " + text;
        });
    verb.add_option("LAYOUT", layouts, "layout files, opened as windows 1, 2, ...")->required();
    if (const int done = ParseVerbOptions(verb, argc, argv, out, err); done >= 0) return done;

    TSettings settings;
    if (!StartToolSettings(home.empty() ? nullptr : home.c_str(), settings, err)) return 1;
    KRegistry& registry = settings.Registry();
    EnumerateToolPorts(registry);
    std::unique_ptr<KLog> log = OpenToolLog(settings);
    KLog::SetProgramLog(log.get());
    TSources::Prepare(registry, settings.ConfigLoaded() || settings.ConfigFailed());
    const std::vector<KRect> monitors = Monitors(size, registry);
    TZDisplayWindow::AdjustAtStartUp(registry);

    TWebOutput::Options options = TWebOutput::FromSettings(registry);
    if (!listen.empty()) ParseListen(listen, &options.server.address, &options.server.port);
    if (listen.empty() && options.server.port == 0) options.server.port = kDefaultPort;

    K3DFonts fonts(registry, settings.Home(), log.get());
    KMonotonicClock clock;
    KFrameBufferSurface surface;
    KMirroredSurface screens(surface);
    TDisplayEngine engine(registry, settings.Home(), fonts, screens, clock, monitors, log.get());
    for (const std::string& file : layouts) {
        KString path;
        KAppendUtf8(path, std::filesystem::absolute(file).string());
        if (const int32_t code = engine.Layouts().OpenLayout(path); code != 0) {
            std::fprintf(err, "tessaron-cli serve: cannot open %s (error %d)\n", file.c_str(),
                         static_cast<int>(code));
            return 1;
        }
    }
    engine.Window().ShowLayout(engine.Layouts().Window(1), -1);
    engine.StartSources();

    KStopSignals signals;
    TWebOutput output(engine, screens);
    std::string error;
    if (!output.Start(options, &error)) {
        std::fprintf(err, "tessaron-cli serve: %s\n", error.c_str());
        return 1;
    }
    std::fprintf(out, "{\"listening\":\"http://%s:%d/\"}\n", options.server.address.c_str(),
                 static_cast<int>(output.Port()));
    std::fflush(out);
    RunUntilStopped(engine, output, signals);
    output.Stop();
    return 0;
}

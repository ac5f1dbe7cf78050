#include "RenderVerb.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "JsonText.h"
#include "K3DFonts.h"
#include "KChunkedStream.h"
#include "KClock.h"
#include "KFrameBufferSurface.h"
#include "KLog.h"
#include "KRValues.h"
#include "KUtf8.h"
#include "TDisplayEngine.h"
#include "TLayout.h"
#include "TSources.h"
#include "TTrigger.h"
#include "ToolStartUp.h"
#include "VerbOptions.h"

namespace {

struct RenderOptions {
    std::string home, size, capture, frames, out;
    int64_t rate = 0, at = 0, every = 0;
    bool sleep = false;
    std::vector<std::string> keys, layouts;
};

// A key as the display window receives it: modifiers "S+", "C+", "A+", then
// a function key F1..F24 or one character.
struct Key {
    int32_t functionKey = 0;
    KChar character = 0;
    uint32_t modifiers = 0;
};

bool ParseKey(const std::string& text, Key* key) {
    std::string rest = text;
    for (bool more = true; more && rest.size() > 2 && rest[1] == '+';) {
        const uint32_t bit = rest[0] == 'S'   ? uint32_t{kKeyShift}
                             : rest[0] == 'C' ? uint32_t{kKeyCtrl}
                             : rest[0] == 'A' ? uint32_t{kKeyAlt}
                                              : 0u;
        more = bit != 0;
        if (more) key->modifiers |= bit, rest.erase(0, 2);
    }
    int n = 0;
    char tail;
    if (std::sscanf(rest.c_str(), "F%d%c", &n, &tail) == 1 && n >= 1 && n <= 24) {
        key->functionKey = n;
        return rest == "F" + std::to_string(n);
    }
    KString chars;
    KAppendUtf8(chars, rest);
    if (chars.Length() != 1) return false;
    key->character = chars.CharAt(0);
    return true;
}

void AddOptions(CLI::App& app, RenderOptions& o) {
    app.add_option("--home", o.home, "the application folder (settings, fonts, scripts)");
    app.add_option("--size", o.size, "the window's size WxH (default: placed by the settings)")
        ->check([](const std::string& text) {
            int32_t w, h;
            return ParseSizeOption(text, KFrameBufferSurface::kMaxSide, &w, &h)
                       ? ""
                       : "not WxH: " + text;
        });
    app.add_option("--capture", o.capture, "bytes that arrive on the first source");
    app.add_option("--rate", o.rate, "bytes per second of the capture (default: all at 0)")
        ->check(CLI::Range(int64_t{1}, int64_t{1} << 40));
    app.add_option("--at", o.at, "milliseconds of virtual time to run")
        ->check(CLI::Range(int64_t{0}, int64_t{24} * 3600 * 1000));
    app.add_flag("--sleep", o.sleep,
                 "passes only when something is due, as the program's loop sleeps");
    app.add_option("--every", o.every, "milliseconds between frames")
        ->check(CLI::Range(int64_t{1}, int64_t{1} << 40));
    app.add_option("--frames", o.frames, "folder of the frames");
    app.add_option("--key", o.keys, "a key pressed at the start: F1, C+F5, a")
        ->allow_extra_args(false)
        ->check([](const std::string& text) {
            Key key;
            return ParseKey(text, &key) ? "" : "not a key: " + text;
        });
    app.add_option("--out", o.out, "PNG file of the window after the last pass");
    app.add_option("LAYOUT", o.layouts, "layout files, opened as windows 1, 2, ...")->required();
}

// Writes one JSON line per event of the engine, stamped with the clock.
class EventPrinter : public TZDisplayListener, public TDisplayEngineListener {
  public:
    EventPrinter(const KClock& clock, FILE* out) : clock_(clock), out_(out) {}

    void AreaDrawn(const KRect& r) override {
        Begin();
        line_ += ",\"draw\":[" + std::to_string(r.left) + "," + std::to_string(r.top) + "," +
                 std::to_string(r.right) + "," + std::to_string(r.bottom) + "]";
        End();
    }
    void CurrentChanged(TLayout* layout) override {
        KString title(63, KString::kMaxLimit);
        if (layout) TOpenLayouts::AppendTitle(*layout, title);
        Begin();
        line_ += ",\"current\":";
        AppendJsonString(line_, title);
        End();
    }
    void PacketDelivered(const TFields& definition) override {
        Begin();
        line_ += ",";
        AppendPacketMembers(line_, definition);
        End();
    }
    void RemoteLine(const TReceiver&, const KString& text) override {
        Begin();
        line_ += ",\"remote\":";
        AppendJsonString(line_, text);
        End();
    }

  private:
    void Begin() { line_ = "{\"t\":" + std::to_string(clock_.Ms()); }
    void End() {
        line_ += "}\n";
        std::fputs(line_.c_str(), out_);
    }

    const KClock& clock_;
    FILE* out_;
    std::string line_;
};

// The window size: the one asked for, as the only monitor and as the size
// of a window with a rectangle of its own; else a 1920 x 1080 monitor.
std::vector<KRect> Monitors(const RenderOptions& o, KRegistry& settings) {
    int32_t width = 1920, height = 1080;
    if (!o.size.empty()) {
        ParseSizeOption(o.size, KFrameBufferSurface::kMaxSide, &width, &height);
        if (KRInt* w = settings.FindInt(KString(u"\\Display\\Width"))) w->value = width;
        if (KRInt* h = settings.FindInt(KString(u"\\Display\\Height"))) h->value = height;
    }
    return {{0, 0, width - 1, height - 1}};
}

// The capture takes the place of the first source's channel, keeping the
// channel's character settings; like every channel it leaves line ends as
// they come.
KChunkedStream* AttachCapture(TDisplayEngine& engine, std::string bytes) {
    TSources* sources = engine.Sources();
    TSource* source = sources ? sources->List().Head() : nullptr;
    if (!source) return nullptr;
    auto capture = std::make_unique<KChunkedStream>(std::move(bytes));
    if (source->channel) source->channel->CopySettings(capture.get());
    capture->SetReadLineEnd(0);
    KChunkedStream* raw = capture.get();
    source->channel = std::move(capture);
    return raw;
}

// Keeps every source off its configured port: the capture is the only data.
void DisconnectSources(KRegistry& settings) {
    KRGroup* group = settings.FindGroup(KString(u"\\Sources\\"));
    if (!group) return;
    for (KRNode& node : group->children) {
        auto* source = dynamic_cast<KRGroup*>(&node);
        KString name(u"SerialPort");
        if (auto* port = source ? dynamic_cast<KRString*>(source->Apply(name)) : nullptr)
            port->value.Assign(KString(u"0"));
    }
}

bool ReadFile(const std::string& path, std::string* bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes->assign(std::istreambuf_iterator<char>(in), {});
    return !in.bad();
}

// The bytes of the capture that arrived by time t at the rate (all at once
// without one).
size_t Arrived(int64_t rate, int64_t t, size_t size) {
    if (rate <= 0) return size;
    const __int128 arrived = static_cast<__int128>(rate) * t / 1000;
    return arrived < static_cast<__int128>(size) ? static_cast<size_t>(arrived) : size;
}

// The time at which the capture's next byte arrives after the first
// arrived ones; KClock::kNever when all are there.
int64_t NextArrival(int64_t rate, size_t arrived, size_t size) {
    if (rate <= 0 || arrived >= size) return KClock::kNever;
    const __int128 bytes = static_cast<__int128>(arrived) + 1;
    return static_cast<int64_t>((bytes * 1000 + rate - 1) / rate);
}

// After the passes at t, the time of the next ones: at once the next
// millisecond, or with --sleep the first time something is due then (the
// engine's deadline, a byte of the capture, a frame to write).
int64_t NextPassTime(const RenderOptions& o, int64_t t, const TDisplayEngine& engine,
                     int64_t arrival) {
    if (!o.sleep) return t + 1;
    const int64_t inEngine = engine.MsUntilDue();
    int64_t next = std::min(arrival, inEngine == KClock::kNever ? inEngine : t + inEngine);
    if (o.every > 0) next = std::min(next, (t / o.every + 1) * o.every);
    return std::clamp(next, t + 1, o.at + 1);
}

std::string FramePath(const std::string& folder, int64_t k) {
    char name[32];
    std::snprintf(name, sizeof name, "frame-%04lld.png", static_cast<long long>(k));
    return folder + "/" + name;
}

bool WritePicture(const KFrameBufferSurface& surface, const std::string& path, FILE* err) {
    if (surface.WritePng(path)) return true;
    std::fprintf(err, "tessaron-cli render: cannot write %s\n", path.c_str());
    return false;
}

}  // namespace

int RunRenderVerb(int argc, char** argv, FILE* out, FILE* err) {
    CLI::App app("show layouts as the display window does, on a virtual clock", "render");
    RenderOptions o;
    AddOptions(app, o);
    if (const int code = ParseVerbOptions(app, argc, argv, out, err); code >= 0) return code;
    if (o.every > 0 && o.frames.empty()) {
        std::fputs("tessaron-cli render: --every needs --frames\n", err);
        return 2;
    }
    std::string capture;
    if (!o.capture.empty() && !ReadFile(o.capture, &capture)) {
        std::fprintf(err, "tessaron-cli render: cannot read %s\n", o.capture.c_str());
        return 1;
    }
    if (!o.frames.empty() && !MakeOutputFolder(o.frames, "render", err)) return 1;

    TSettings settings;
    if (!StartToolSettings(o.home.empty() ? nullptr : o.home.c_str(), settings, err)) return 1;
    KRegistry& registry = settings.Registry();
    std::unique_ptr<KLog> log = OpenToolLog(settings);
    // Objects that cannot have their pictures say so in the log, as in the program.
    KLog::SetProgramLog(log.get());
    const std::vector<KRect> monitors = Monitors(o, registry);
    TZDisplayWindow::AdjustAtStartUp(registry);
    K3DFonts fonts(registry, settings.Home(), log.get());
    KVirtualClock clock;
    KFrameBufferSurface surface;
    EventPrinter printer(clock, out);
    TDisplayEngine engine(registry, settings.Home(), fonts, surface, clock, monitors, log.get());
    engine.Window().SetListener(&printer);
    engine.SetListener(&printer);
    DisconnectSources(registry);
    engine.StartSources();
    KChunkedStream* channel = o.capture.empty() ? nullptr : AttachCapture(engine, capture);

    for (const std::string& file : o.layouts) {
        KString path;
        KAppendUtf8(path, std::filesystem::absolute(file).string());
        if (const int32_t code = engine.Layouts().OpenLayout(path); code != 0) {
            std::string line = "{\"error\":" + std::to_string(code) + ",\"layout\":";
            AppendJsonString(line, path);
            std::fprintf(out, "%s}\n", line.c_str());
            return 1;
        }
    }
    engine.Window().ShowLayout(engine.Layouts().Window(1), -1);
    for (const std::string& text : o.keys) {
        Key key;
        ParseKey(text, &key);
        engine.KeyPress(key.functionKey, key.character, key.modifiers);
    }

    for (int64_t t = 0, arrival = KClock::kNever; t <= o.at;
         t = NextPassTime(o, t, engine, arrival)) {
        clock.SetMs(t);
        const size_t arrived = Arrived(o.rate, t, capture.size());
        if (channel) channel->ArriveUpTo(arrived);
        if (channel) arrival = NextArrival(o.rate, arrived, capture.size());
        // A pass reads a bounded share of what is waiting; the rest is read
        // by the passes that follow at once, as in the program's idle loop.
        while (engine.Pass()) {
        }
        if (o.every > 0 && t % o.every == 0 &&
            !WritePicture(surface, FramePath(o.frames, t / o.every), err))
            return 1;
    }
    if (!o.out.empty() && !WritePicture(surface, o.out, err)) return 1;
    return 0;
}

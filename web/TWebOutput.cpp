#include "TWebOutput.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstring>
#include <mutex>

#include "JsonText.h"
#include "KEvent.h"
#include "KMirroredSurface.h"
#include "KPngEncoder.h"
#include "KRValues.h"
#include "KRegistry.h"
#include "KUtf8.h"
#include "TLayout.h"
#include "TLayoutObject.h"
#include "TLayoutState.h"
#include "TReceiver.h"
#include "TSources.h"
#include "TTrigger.h"

extern const char kBoardPage[];
extern const char kOperatorPage[];

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kFrame = std::chrono::microseconds(16667);
constexpr auto kControlTimeout = std::chrono::milliseconds(2000);

KWebHandler::Response Error(int status, const std::string& message) {
    std::string body = "{\"error\":";
    KString text;
    KAppendUtf8(text, message);
    AppendJsonString(body, text);
    return {status, "application/json", body + "}"};
}

bool ParseInt(const std::string& text, int32_t* value) {
    const char* end = text.data() + text.size();
    const auto [at, failure] = std::from_chars(text.data(), end, *value);
    return failure == std::errc() && at == end && !text.empty();
}

void PutInt32(uint8_t* to, int32_t value) {
    const auto bits = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i) to[i] = static_cast<uint8_t>(bits >> (8 * i));
}

}  // namespace

// The last picture encoded for any viewer: viewers that keep up are owed
// the same rectangle of the same board, which is then encoded once, by the
// first of them, while the others wait for it.
struct TWebOutput::PngCache {
    std::mutex mutex;
    KPngEncoder encoder;
    uint64_t version = 0;
    KRect rect;
    bool transparent = false;
    std::vector<uint8_t> png;

    bool Encode(const TWebBoard::Change& change, bool clear, std::vector<uint8_t>& out) {
        std::lock_guard lock(mutex);
        if (png.empty() || version != change.version || !(rect == change.rect) ||
            transparent != clear) {
            const KRect& r = change.rect;
            if (!encoder.Encode(change.pixels.data(), r.Width(), r.Height(),
                                static_cast<size_t>(r.Width()), clear, png)) {
                png.clear();
                return false;
            }
            version = change.version, rect = r, transparent = clear;
        }
        out = png;
        return true;
    }
};

namespace {

// Sends the board to one client: its size, then the rectangles that changed,
// each as header and PNG.
class BoardStream : public KWebHandler::Stream {
  public:
    BoardStream(TWebBoard& board, TWebOutput::PngCache& cache, bool transparent)
        : board_(board), cache_(cache), viewer_(board.Join()), transparent_(transparent) {}
    ~BoardStream() override { board_.Leave(viewer_); }

    void Run(Sender& sender) override {
        Clock::time_point notBefore = Clock::now();
        while (board_.Take(viewer_, notBefore, change_)) {
            if (change_.resized && !SendSize(sender)) return;
            if (change_.rect.IsEmpty()) continue;
            const KRect& r = change_.rect;
            message_.resize(16);
            PutInt32(&message_[0], r.left);
            PutInt32(&message_[4], r.top);
            PutInt32(&message_[8], r.Width());
            PutInt32(&message_[12], r.Height());
            if (!cache_.Encode(change_, transparent_, png_)) continue;
            message_.insert(message_.end(), png_.begin(), png_.end());
            notBefore = Clock::now() + kFrame;
            if (!sender.Send(false, message_.data(), message_.size())) return;
        }
    }
    void Stop() override { board_.Stop(viewer_); }

  private:
    bool SendSize(Sender& sender) {
        const std::string text = "{\"width\":" + std::to_string(change_.size.width) +
                                 ",\"height\":" + std::to_string(change_.size.height) +
                                 ",\"transparent\":" + (transparent_ ? "true" : "false") + "}";
        return sender.Send(true, text.data(), text.size());
    }

    TWebBoard& board_;
    TWebOutput::PngCache& cache_;
    TWebBoard::Viewer* viewer_;
    bool transparent_;
    TWebBoard::Change change_;
    std::vector<uint8_t> png_;
    std::vector<uint8_t> message_;
};

// Sends the live fields to one client, one text message per object.
class FieldsStream : public KWebHandler::Stream {
  public:
    explicit FieldsStream(TWebFields& fields) : fields_(fields), listener_(fields.Join()) {}
    ~FieldsStream() override { fields_.Leave(listener_); }

    void Run(Sender& sender) override {
        while (fields_.Take(listener_, taken_)) {
            for (const std::string& object : taken_)
                if (!sender.Send(true, object.data(), object.size())) return;
        }
    }
    void Stop() override { fields_.Stop(listener_); }

  private:
    TWebFields& fields_;
    TWebFields::Listener* listener_;
    std::deque<std::string> taken_;
};

// The distinct trigger names of a layout's objects, as a JSON array.
std::string TriggerNames(const TLayout& layout) {
    std::vector<std::string> names;
    for (const TLayoutObject& object : layout.Objects()) {
        const KString& name = object.TriggerName();
        if (name.IsEmpty()) continue;
        std::string json;
        AppendJsonString(json, name);
        if (std::find(names.begin(), names.end(), json) == names.end()) names.push_back(json);
    }
    std::string out = "[";
    for (const std::string& name : names) out += (out.size() > 1 ? "," : "") + name;
    return out + "]";
}

// Whether an object of the layout answers the trigger name, as the
// trigger command compares it.
bool HasTrigger(const TLayout& layout, const KString& name) {
    for (const TLayoutObject& object : layout.Objects())
        if (object.TriggerName().EqualsIgnoreCase(name)) return true;
    return false;
}

}  // namespace

TWebOutput::Options TWebOutput::FromSettings(KRegistry& settings) {
    const auto value = [&settings](const char16_t* path, int32_t otherwise) {
        const KRInt* setting = settings.FindInt(KString(path));
        return setting ? setting->value : otherwise;
    };
    Options options;
    options.server.address = KUtf8Of(settings.StringOf(KString(u"\\Web\\Address")));
    options.server.port = value(u"\\Web\\Port", 0);
    options.server.token = KUtf8Of(settings.StringOf(KString(u"\\Web\\Token")));
    options.server.maxClients = std::clamp(value(u"\\Web\\MaxClients", 32), 1, 1000);
    options.transparent = value(u"\\Web\\Transparent", 0) != 0;
    options.delayMs = std::clamp(value(u"\\Web\\Delay", 0), 0, kMaxDelayMs);
    return options;
}

TWebOutput::TWebOutput(TDisplayEngine& engine, KMirroredSurface& screens)
    : engine_(engine), screens_(screens), pngCache_(std::make_unique<PngCache>()) {}

TWebOutput::~TWebOutput() {
    Stop();
}

bool TWebOutput::Start(const Options& options, std::string* error) {
    Stop();
    if (!KWebServer::IsLoopback(options.server.address) && options.server.token.empty()) {
        *error = "the web output may listen on " + options.server.address +
                 ", which is not loopback, only with a token (\\Web\\Token)";
        return false;
    }
    transparent_ = options.transparent;
    if (options.delayMs > 0) delay_ = std::make_unique<TWebDelay>(board_, options.delayMs);
    screens_.SetMirror(delay_ ? static_cast<KScreenSurface*>(delay_.get()) : &board_,
                       &engine_.Window());
    engine_.Window().FullRedraw();
    engine_.SetListener(this);
    if (server_.Start(options.server, error)) return true;
    Stop();
    return false;
}

void TWebOutput::Stop() {
    server_.Stop();
    engine_.SetListener(nullptr);
    screens_.SetMirror(nullptr, nullptr);
    delay_.reset();
}

void TWebOutput::Pass() {
    control_.Run();
    if (!statuses_) {
        if (TSources* sources = engine_.Sources())
            statuses_ = std::make_unique<TStatusWatch>(*sources);
        if (!statuses_) return;
    }
    const uint64_t now = KTickCount();
    if (now < statusDue_) return;
    statusDue_ = now + 100;
    statuses_->Check([this](const KString& source, const KString& status) {
        Publish(TWebFields::StatusReport(source, status));
    });
}

void TWebOutput::PacketDelivered(const TFields& definition) {
    Publish(TWebFields::PacketReport(definition));
}

void TWebOutput::RemoteLine(const TReceiver& source, const KString& line) {
    Publish(TWebFields::RemoteReport(source.SourceName(), line));
}

void TWebOutput::Publish(TWebFields::Report report) {
    if (!delay_) {
        fields_.Publish(report);
        return;
    }
    const size_t bytes = report.object.size() + report.values.size();
    delay_->Post([this, report = std::move(report)] { fields_.Publish(report); }, bytes);
}

KWebHandler::Response TWebOutput::Answer(const std::string& method, const std::string& path,
                                         const std::string& query) {
    const bool get = method == "GET";
    const bool post = method == "POST";
    if (path == "/")
        return get ? Response{200, "text/html; charset=utf-8", kBoardPage} : Error(405, "use GET");
    if (path == "/operator")
        return get ? Response{200, "text/html; charset=utf-8", kOperatorPage}
                   : Error(405, "use GET");
    if (path == "/fields.json")
        return get ? Response{200, "application/json", fields_.Snapshot()} : Error(405, "use GET");
    if (path == "/api/layouts")
        return get ? control_.Call([this] { return Layouts(); }, kControlTimeout)
                   : Error(405, "use GET");
    if (path == "/api/show")
        return post ? control_.Call([this, query] { return Show(query); }, kControlTimeout)
                    : Error(405, "use POST");
    if (path == "/api/trigger")
        return post ? control_.Call([this, query] { return Trigger(query); }, kControlTimeout)
                    : Error(405, "use POST");
    return Error(404, "not found");
}

bool TWebOutput::IsStream(const std::string& path) const {
    return path == "/board" || path == "/fields";
}

std::unique_ptr<KWebHandler::Stream> TWebOutput::OpenStream(const std::string& path,
                                                            const std::string& query) {
    if (path == "/board") {
        std::string transparent;
        const bool asked = KWebServer::QueryValue(query, "transparent", &transparent);
        return std::make_unique<BoardStream>(board_, *pngCache_,
                                             asked ? transparent == "1" : transparent_);
    }
    if (path == "/fields") return std::make_unique<FieldsStream>(fields_);
    return nullptr;
}

KWebHandler::Response TWebOutput::Layouts() {
    TOpenLayouts& layouts = engine_.Layouts();
    const TLayout* current = engine_.Window().CurrentLayout();
    std::string body = "[";
    for (int32_t n = 1; n <= layouts.Count(); ++n) {
        const TLayout* layout = layouts.Window(n);
        if (!layout) continue;
        KString title(63, KString::kMaxLimit);
        TOpenLayouts::AppendTitle(*layout, title);
        if (body.size() > 1) body += ',';
        body += "{\"window\":" + std::to_string(n) + ",\"title\":";
        AppendJsonString(body, title);
        body += std::string(",\"current\":") + (layout == current ? "true" : "false") +
                ",\"triggers\":" + TriggerNames(*layout) + "}";
    }
    return {200, "application/json", body + "]"};
}

KWebHandler::Response TWebOutput::Show(const std::string& query) {
    std::string text;
    int32_t window = 0;
    if (!KWebServer::QueryValue(query, "window", &text) || !ParseInt(text, &window))
        return Error(400, "window=N is needed");
    int32_t delay = -1;
    if (KWebServer::QueryValue(query, "delay", &text) && (!ParseInt(text, &delay) || delay < 0))
        return Error(400, "delay is not a number of milliseconds");
    if (!engine_.Layouts().Window(window))
        return Error(404, "no layout is open in window " + std::to_string(window));
    std::string line = "Command=LayoutDraw;Window=" + std::to_string(window) + ";";
    if (delay >= 0) line += "Delay=" + std::to_string(delay) + ";";
    KString remote;
    KAppendUtf8(remote, line);
    engine_.RunRemoteLine(remote);
    return {204, "application/json", ""};
}

KWebHandler::Response TWebOutput::Trigger(const std::string& query) {
    std::string name, action = "on";
    if (!KWebServer::QueryValue(query, "name", &name) || name.empty())
        return Error(400, "name=NAME is needed");
    KString trigger;
    KAppendUtf8(trigger, name);
    if (trigger.Length() > TTrigger().name.Capacity() ||
        name.find_first_of("\";=") != std::string::npos)
        return Error(400, "not a trigger name: " + name);
    std::string time;
    if (KWebServer::QueryValue(query, "time", &time))
        return Error(400, "a trigger time is not supported: the object's own time applies");
    KWebServer::QueryValue(query, "action", &action);
    if (action != "on" && action != "off" && action != "toggle")
        return Error(400, "action is on, off or toggle");
    const TLayout* shown = engine_.Window().CurrentLayout();
    if (!shown) return Error(404, "no layout is shown");
    if (!HasTrigger(*shown, trigger))
        return Error(404, "no object of the layout shown has the trigger " + name);
    // The name holds none of the line's separators and quotes, so it passes
    // as it is.
    KString line(63, KString::kMaxLimit);
    line.Append(KString(u"Command=Trigger;Name="));
    line.Append(trigger);
    line.Append(KString(u";Action="));
    KAppendUtf8(line, action);
    engine_.RunRemoteLine(line);
    return {204, "application/json", ""};
}

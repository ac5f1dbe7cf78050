#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "KWebServer.h"
#include "TDisplayEngine.h"
#include "TStatusWatch.h"
#include "TWebBoard.h"
#include "TWebControl.h"
#include "TWebDelay.h"
#include "TWebFields.h"

class KMirroredSurface;
class KRegistry;

// The web output of a display engine: the board (one more screen of the
// display window, streamed as PNG rectangles), the live fields as JSON, and
// control of the shown layout and triggers, on an embedded server.
//
//   GET  /             the board page          WS /board   the board
//   GET  /operator     the operator page       WS /fields  live fields
//   GET  /fields.json  the last field values   GET /api/layouts
//   POST /api/show?window=N[&delay=MS]         POST /api/trigger?name=N[&action=on|off|toggle]
//
// The /board wire format: a text message {"width":W,"height":H,
// "transparent":B} first and whenever the size changes, then binary
// messages of a 16-byte header (x, y, w, h as little-endian int32, board
// pixels) and an RGBA PNG of that rectangle; the first covers the whole
// board, later ones the bounding box of what changed since the client's
// last message, at most 60 a second per client.
//
// Made and used on the engine's thread: Pass() runs the control requests
// and reports status changes; the server's threads never touch the engine.
class TWebOutput : public KWebHandler, public TDisplayEngineListener {
  public:
    struct Options {
        KWebServer::Config server;
        // The board's Background transparent unless a client asks otherwise.
        bool transparent = false;
        // Milliseconds by which the board and the fields are held back.
        int32_t delayMs = 0;
    };
    static constexpr int32_t kMaxDelayMs = 600000;

    // The options of the Web settings: \Web\Address, Port, Token,
    // Transparent, MaxClients (1 to 1000) and Delay (0 to kMaxDelayMs).
    static Options FromSettings(KRegistry& settings);

    TWebOutput(TDisplayEngine& engine, KMirroredSurface& screens);
    ~TWebOutput() override;

    // Starts serving and mirrors the display window to the board (redrawn
    // whole); false with a reason in error. A non-loopback address needs a
    // token.
    bool Start(const Options& options, std::string* error);
    void Stop();
    int32_t Port() const { return server_.Port(); }
    // Readable while a control request waits for Pass.
    int Descriptor() const { return control_.Descriptor(); }
    void Pass();

    TWebBoard& Board() { return board_; }
    struct PngCache;

    Response Answer(const std::string& method, const std::string& path,
                    const std::string& query) override;
    bool IsStream(const std::string& path) const override;
    std::unique_ptr<Stream> OpenStream(const std::string& path, const std::string& query) override;

    void PacketDelivered(const TFields& definition) override;
    void RemoteLine(const TReceiver& source, const KString& line) override;

  private:
    // Hands a field report to the listeners, after the delay when there is one.
    void Publish(TWebFields::Report report);
    Response Layouts();
    Response Show(const std::string& query);
    Response Trigger(const std::string& query);

    TDisplayEngine& engine_;
    KMirroredSurface& screens_;
    TWebBoard board_;
    std::unique_ptr<PngCache> pngCache_;
    TWebFields fields_;
    TWebControl control_;
    KWebServer server_{*this};
    bool transparent_ = false;
    std::unique_ptr<TWebDelay> delay_;
    std::unique_ptr<TStatusWatch> statuses_;
    uint64_t statusDue_ = 0;
};

#include "TWebOutput.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <future>
#include <thread>

#include "K3DFonts.h"
#include "KClock.h"
#include "KFrameBufferSurface.h"
#include "KMirroredSurface.h"
#include "KRegistry.h"
#include "KTestSupport.h"
#include "LayoutTestSupport.h"
#include "TDefaultSettings.h"
#include "TField.h"
#include "TFields.h"
#include "TLayout.h"
#include "TLayoutObject.h"
#include "WebTestSupport.h"

namespace {

constexpr const char* kTitleLayout = R"({"background": "Blue", "objects": [
    {"class": "TTextObject", "x": 10, "y": 10, "width": 200, "text": "Heat 3",
     "font": {"name": "DejaVu Sans", "size": 30, "face": "White"}},
    {"class": "TTextObject", "flags": 0, "x": 10, "y": 120, "width": 250, "text": "OFFICIAL",
     "trigger": "Official", "font": {"name": "DejaVu Sans", "size": 30, "face": "Yellow"}}]})";
constexpr const char* kOverlayLayout = R"({"background": "Background", "objects": [
    {"class": "TTextObject", "x": 20, "y": 180, "width": 280, "text": "1:02.35",
     "font": {"name": "DejaVu Sans", "size": 36, "face": "Red"}}]})";

// The board as a client rebuilds it from /board's messages, 0xAARRGGBB.
class BoardClient {
  public:
    int Open(int port, const std::string& target = "/board") { return socket_.Open(port, target); }
    // Takes messages until the picture equals expected; false after ms.
    bool CatchUp(const std::vector<uint32_t>& expected, const std::function<void()>& pass,
                 int ms = 5000) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (pixels_ != expected) {
            if (std::chrono::steady_clock::now() > until) return false;
            pass();
            WebSocketClient::Message message;
            if (socket_.Read(&message, 20)) Apply(message);
        }
        return true;
    }
    bool transparent = false;
    int messages = 0;

  private:
    void Apply(const WebSocketClient::Message& message) {
        ++messages;
        if (message.text) {
            char flag[8] = "";
            std::sscanf(message.data.c_str(), R"({"width":%d,"height":%d,"transparent":%5s)",
                        &width_, &height_, flag);
            transparent = std::string(flag).starts_with("true");
            pixels_.assign(static_cast<size_t>(width_) * height_, 0);
            return;
        }
        ASSERT_GE(message.data.size(), 16u);
        const int x = WebInt32(message.data, 0), y = WebInt32(message.data, 4);
        const int w = WebInt32(message.data, 8), h = WebInt32(message.data, 12);
        int pw = 0, ph = 0;
        const std::vector<uint32_t> png = DecodePng(message.data.substr(16), &pw, &ph);
        ASSERT_EQ(pw, w);
        ASSERT_EQ(ph, h);
        ASSERT_TRUE(x >= 0 && y >= 0 && x + w <= width_ && y + h <= height_);
        for (int row = 0; row < h; ++row)
            std::copy_n(&png[static_cast<size_t>(row) * w], w,
                        &pixels_[static_cast<size_t>(y + row) * width_ + x]);
    }

    WebSocketClient socket_;
    int width_ = 0, height_ = 0;
    std::vector<uint32_t> pixels_;
};

class WebOutput : public ::testing::Test {
  protected:
    WebOutput() {
        title = WriteLayoutFile(folder, "title.tly", kTitleLayout);
        overlay = WriteLayoutFile(folder, "overlay.tly", kOverlayLayout);
        engine.Layouts().OpenLayout(KTestText(title));
        engine.Layouts().OpenLayout(KTestText(overlay));
        engine.Window().ShowLayout(engine.Layouts().Window(1), -1);
    }

    bool Start(const std::string& token = "", bool transparent = false) {
        TWebOutput::Options options;
        options.server.token = token;
        options.transparent = transparent;
        std::string error;
        const bool started = output.Start(options, &error);
        EXPECT_TRUE(started) << error;
        return started;
    }
    // One pass of the engine, its clock 20 ms on.
    void Pass() {
        clock.SetMs(ms += 20);
        engine.Pass();
        output.Pass();
    }
    // What a client should see: the frame buffer, opaque, Background black
    // unless transparent.
    std::vector<uint32_t> Expected(bool transparent = false) const {
        std::vector<uint32_t> out = surface.Pixels();
        for (uint32_t& p : out)
            p = p == 0xFF000000 ? (transparent ? 0u : 0xFF000000u) : (p | 0xFF000000);
        return out;
    }
    // Runs an HTTP request on another thread while the engine passes.
    WebAnswer Call(const std::string& method, const std::string& target,
                   const std::string& headers = "") {
        const int port = output.Port();
        auto answer =
            std::async(std::launch::async, [=] { return WebGet(port, target, headers, method); });
        while (answer.wait_for(std::chrono::milliseconds(1)) != std::future_status::ready) Pass();
        return answer.get();
    }

    // The defaults come first: the display window binds its settings when made.
    struct Defaults {
        Defaults() { ApplyDefaultSettings(registry); }
        KRegistry registry;
    };

    KTestFolder folder;
    Defaults defaults;
    KRegistry& settings = defaults.registry;
    K3DFonts fonts{settings, folder.Path(), nullptr};
    KVirtualClock clock;
    int64_t ms = 0;
    KFrameBufferSurface surface;
    KMirroredSurface screens{surface};
    TDisplayEngine engine{settings, folder.Path(),      fonts,  screens,
                          clock,    {{0, 0, 319, 239}}, nullptr};
    TWebOutput output{engine, screens};
    std::string title, overlay;
};

TEST_F(WebOutput, TheBoardRebuiltFromItsMessagesEqualsTheFrameBufferAfterEveryChange) {
    ASSERT_TRUE(Start());
    BoardClient client;
    ASSERT_EQ(client.Open(output.Port()), 101);
    const auto pass = [this] { Pass(); };
    ASSERT_TRUE(client.CatchUp(Expected(), pass));
    EXPECT_FALSE(client.transparent);
    const std::vector<uint32_t> first = Expected();
    const std::vector<std::string> lines = {
        "Command=Trigger;Name=Official;Action=On", "Command=LayoutDraw;Window=2;Delay=0",
        "Command=LayoutDraw;Window=1;Delay=0", "Command=Trigger;Name=Official;Action=Toggle",
        "Command=Trigger;Name=Official;Action=Toggle"};
    for (const std::string& line : lines) {
        engine.RunRemoteLine(KTestText(line));
        for (int i = 0; i < 5; ++i) Pass();
        EXPECT_TRUE(client.CatchUp(Expected(), pass)) << line;
    }
    EXPECT_NE(Expected(), first);  // the official result shows: the board did change
}

// A board mounted on its side: the web shows the layout the right way up.
TEST_F(WebOutput, ATurnedBoardIsServedUnturned) {
    for (const int32_t rotation : {1, 2}) {
        settings.FindInt(KTestText("\\Display\\Rotate"))->value = rotation;
        engine.Window().Place();
        ASSERT_TRUE(Start());
        const KSize client = surface.ClientSize();
        ASSERT_EQ(client.width, 320);  // the window on its 320 x 240 monitor
        const auto unturned = [&] {
            const std::vector<uint32_t> turned = surface.Pixels();
            std::vector<uint32_t> out(turned.size());
            for (int32_t y = 0; y < client.width; ++y)
                for (int32_t x = 0; x < client.height; ++x) {
                    const int32_t px = rotation == 1 ? y : client.width - 1 - y;
                    const int32_t py = rotation == 1 ? client.height - 1 - x : x;
                    out[static_cast<size_t>(y) * client.height + x] =
                        turned[static_cast<size_t>(py) * client.width + px];
                }
            return out;
        };
        engine.RunRemoteLine(KTestText("Command=Trigger;Name=Official;Action=Toggle"));
        bool same = false;
        for (int i = 0; i < 200 && !same; ++i) {
            Pass();
            // The layout is as wide as the window is high.
            same =
                output.Board().ClientSize().width == 240 && output.Board().Pixels() == unturned();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        EXPECT_TRUE(same) << rotation;
        // The ticker moves the window's pixels by region copies: the board
        // follows step by step.
        settings.FindInt(KTestText("\\Display\\Scroll\\Mode"))->value = 1;
        settings.FindInt(KTestText("\\Display\\Scroll\\Start"))->value = 0;
        const std::vector<uint32_t> before = unturned();
        int differing = 0;
        for (int i = 0; i < 30; ++i) {
            Pass();
            differing += output.Board().Pixels() != unturned();
        }
        EXPECT_NE(unturned(), before);  // it did scroll
        EXPECT_EQ(differing, 0) << rotation;
        settings.FindInt(KTestText("\\Display\\Scroll\\Mode"))->value = 0;
        output.Stop();
    }
}

TEST_F(WebOutput, TransparentModeClearsTheBackgroundAndAClientMayAskEitherWay) {
    ASSERT_TRUE(Start("", true));
    engine.Window().ShowLayout(engine.Layouts().Window(2), -1);
    BoardClient overlay, opaque;
    ASSERT_EQ(overlay.Open(output.Port()), 101);
    ASSERT_EQ(opaque.Open(output.Port(), "/board?transparent=0"), 101);
    const auto pass = [this] { Pass(); };
    const std::vector<uint32_t> clear = Expected(true);
    EXPECT_TRUE(overlay.CatchUp(clear, pass));
    EXPECT_TRUE(overlay.transparent);
    EXPECT_EQ(clear[0], 0u);  // the corner shows the layout's Background
    EXPECT_TRUE(opaque.CatchUp(Expected(false), pass));
}

// Clients that join a still board are owed the same picture; one that asks
// for transparency and one that does not still get their own.
TEST_F(WebOutput, ClientsOfAStillBoardGetTheirOwnTransparency) {
    engine.Window().ShowLayout(engine.Layouts().Window(2), -1);
    ASSERT_TRUE(Start());
    for (const bool clear : {true, false, true}) {
        WebSocketClient client;
        ASSERT_EQ(client.Open(output.Port(), clear ? "/board?transparent=1" : "/board"), 101);
        WebSocketClient::Message message;
        ASSERT_TRUE(client.Read(&message));
        EXPECT_TRUE(message.text);
        ASSERT_TRUE(client.Read(&message));
        int w = 0, h = 0;
        const std::vector<uint32_t> png = DecodePng(message.data.substr(16), &w, &h);
        ASSERT_EQ(w, 320);
        EXPECT_EQ(png[0], clear ? 0u : 0xFF000000u) << clear;
    }
}

TEST_F(WebOutput, EveryRequestNeedsTheTokenWhenThereIsOne) {
    ASSERT_TRUE(Start("s3cret"));
    EXPECT_EQ(WebGet(output.Port(), "/").status, 401);
    EXPECT_EQ(WebGet(output.Port(), "/?token=wrong").status, 401);
    EXPECT_EQ(WebGet(output.Port(), "/", "Authorization: Bearer s3cre\r\n").status, 401);
    EXPECT_EQ(WebGet(output.Port(), "/fields.json").status, 401);
    WebSocketClient refused;
    EXPECT_EQ(refused.Open(output.Port(), "/board"), 401);
    EXPECT_EQ(WebGet(output.Port(), "/?token=s3cret").status, 200);
    EXPECT_EQ(WebGet(output.Port(), "/", "Authorization: Bearer s3cret\r\n").status, 200);
    BoardClient client;
    EXPECT_EQ(client.Open(output.Port(), "/board?token=s3cret"), 101);
}

// A page of another site in the same browser may neither drive the board
// nor read it: by a form or script posting to it, a stream opened from it, or
// its own name turned to this computer's address.
TEST_F(WebOutput, OnlyTheBoardsOwnPagesMayUseIt) {
    ASSERT_TRUE(Start());
    const std::string show = "/api/show?window=1&delay=0";
    EXPECT_EQ(Call("POST", show, "Origin: http://localhost\r\n").status, 204);
    EXPECT_EQ(Call("POST", show, "Origin: http://elsewhere.example\r\n").status, 403);
    EXPECT_EQ(Call("POST", show, "Origin: null\r\n").status, 403);
    const std::string port = std::to_string(output.Port());
    EXPECT_EQ(WebRequest(output.Port(), "GET /fields.json HTTP/1.1\r\nHost: 127.0.0.1:" + port +
                                            "\r\nConnection: close\r\n\r\n")
                  .status,
              200);
    EXPECT_EQ(WebRequest(output.Port(), "GET /fields.json HTTP/1.1\r\nHost: elsewhere.example:" +
                                            port + "\r\nConnection: close\r\n\r\n")
                  .status,
              403);
    WebSocketClient stream;
    EXPECT_EQ(stream.Open(output.Port(), "/fields", "Origin: http://elsewhere.example\r\n"), 403);
}

TEST_F(WebOutput, ANonLoopbackAddressWithoutATokenIsRefused) {
    TWebOutput::Options options;
    options.server.address = "0.0.0.0";
    std::string error;
    EXPECT_FALSE(output.Start(options, &error));
    EXPECT_NE(error.find("token"), std::string::npos) << error;
    EXPECT_EQ(output.Port(), 0);
}

TEST_F(WebOutput, NothingIsServedFromTheDisk) {
    ASSERT_TRUE(Start());
    {
        std::ofstream file(folder.Path("secret.txt"));
        file << "do not serve";
    }
    const std::string home = folder.Path();
    for (const std::string& target : std::vector<std::string>{
             "/secret.txt", "/../../../../etc/passwd", "/%2e%2e/%2e%2e/etc/passwd",
             "/..%2f..%2f..%2fetc%2fpasswd", std::string("/") + home + "/secret.txt",
             std::string("/..") + home + "/secret.txt", "/index.html", "/operator/../etc/passwd"}) {
        const WebAnswer answer = WebGet(output.Port(), target);
        EXPECT_NE(answer.status, 200) << target;
        EXPECT_EQ(answer.body.find("root:"), std::string::npos) << target;
        EXPECT_EQ(answer.body.find("do not serve"), std::string::npos) << target;
    }
    const WebAnswer page = WebGet(output.Port(), "/");
    EXPECT_EQ(page.status, 200);
    EXPECT_NE(page.body.find("<canvas"), std::string::npos);
    EXPECT_EQ(WebGet(output.Port(), "/operator").status, 200);
}

TEST_F(WebOutput, OversizedRequestsAndClientMessagesCloseOnlyTheirConnection) {
    ASSERT_TRUE(Start());
    BoardClient watcher;
    ASSERT_EQ(watcher.Open(output.Port()), 101);
    const auto pass = [this] { Pass(); };
    ASSERT_TRUE(watcher.CatchUp(Expected(), pass));
    // Two megabytes of headers, and random bytes.
    const WebAnswer big =
        WebGet(output.Port(), "/", "X-Big: " + std::string(2 << 20, 'a') + "\r\n");
    EXPECT_NE(big.status, 200);
    std::string noise;
    for (int i = 0; i < 4096; ++i) noise += static_cast<char>((i * 7919) & 0xFF);
    EXPECT_NE(WebRequest(output.Port(), noise).status, 200);
    // A client that talks too much on its WebSocket is closed; one that says
    // a little is not.
    WebSocketClient talker, quiet;
    ASSERT_EQ(talker.Open(output.Port(), "/fields"), 101);
    ASSERT_EQ(quiet.Open(output.Port(), "/fields"), 101);
    talker.Send(0x2, std::string(64 * 1024, 'x'));
    quiet.Send(0x1, "hello");
    EXPECT_TRUE(talker.ClosedWithin(3000));
    EXPECT_FALSE(quiet.ClosedWithin(300));
    // Two hundred connections opened and dropped, some in the middle of a
    // request or a handshake.
    for (int i = 0; i < 200; ++i) {
        const int fd = WebConnect(output.Port());
        ASSERT_GE(fd, 0);
        if (i % 3 == 1) WebSendAll(fd, "GET /board HTTP/1.1\r\nUpgrade: websocket\r\n");
        if (i % 3 == 2)
            WebSendAll(fd, "POST /api/show?window=1 HTTP/1.1\r\nContent-Length: 99\r\n\r\n");
        close(fd);
    }
    EXPECT_EQ(WebGet(output.Port(), "/").status, 200);
    // More handshakes than clients may connect, each failing on a key too
    // long to answer, leave every place free: the watcher and the quiet
    // client hold two of the 32, and 30 more connect.
    for (int i = 0; i < 40; ++i) {
        const int fd = WebConnect(output.Port());
        ASSERT_GE(fd, 0);
        WebSendAll(fd,
                   "GET /board HTTP/1.1\r\nHost: localhost\r\nUpgrade: websocket\r\n"
                   "Connection: Upgrade\r\nSec-WebSocket-Version: 13\r\n"
                   "Sec-WebSocket-Key: " +
                       std::string(300, 'A') + "\r\n\r\n");
        char answer[4096];
        pollfd p{fd, POLLIN, 0};
        while (poll(&p, 1, 500) > 0 && recv(fd, answer, sizeof answer, 0) > 0) {
        }
        close(fd);
    }
    std::vector<std::unique_ptr<WebSocketClient>> others;
    for (int i = 0; i < 30; ++i) {
        others.push_back(std::make_unique<WebSocketClient>());
        ASSERT_EQ(others.back()->Open(output.Port(), "/fields"), 101) << i;
    }
    // The watcher goes on.
    engine.RunRemoteLine(KTestText("Command=Trigger;Name=Official;Action=On"));
    for (int i = 0; i < 5; ++i) Pass();
    EXPECT_TRUE(watcher.CatchUp(Expected(), pass));
}

TEST_F(WebOutput, AClientThatNeverReadsHoldsUpNobodyAndIsOwedOnlyOnePicture) {
    ASSERT_TRUE(Start());
    WebSocketClient stuck;
    ASSERT_EQ(stuck.Open(output.Port(), "/board"), 101);
    const int small = 4096;
    setsockopt(stuck.Descriptor(), SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    BoardClient reader;
    ASSERT_EQ(reader.Open(output.Port()), 101);
    const auto pass = [this] { Pass(); };
    // Three thousand changes of the whole board, while the stuck client
    // reads nothing and the reader keeps up.
    for (int i = 0; i < 3000; ++i) {
        engine.RunRemoteLine(KTestText(i % 2 ? "Command=LayoutDraw;Window=1;Delay=0"
                                             : "Command=LayoutDraw;Window=2;Delay=0"));
        Pass();
        Pass();
        if (i % 500 == 499) {
            ASSERT_TRUE(reader.CatchUp(Expected(), pass, 3000)) << i;
        }
    }
    EXPECT_TRUE(reader.CatchUp(Expected(), pass));
    // What is waiting for the stuck client is in its socket's buffers and
    // one merged rectangle: it did not receive a queue.
    int waiting = 0;
    WebSocketClient::Message message;
    while (stuck.Read(&message, 200)) ++waiting;
    EXPECT_LT(waiting, 100);
}

TEST_F(WebOutput, LayoutsAreListedShownAndTriggeredThroughTheRemoteCommands) {
    ASSERT_TRUE(Start());
    const WebAnswer list = Call("GET", "/api/layouts");
    EXPECT_EQ(list.status, 200);
    EXPECT_EQ(list.body, R"([{"window":1,"title":"title","current":true,"triggers":["Official"]},)"
                         R"({"window":2,"title":"overlay","current":false,"triggers":[]}])");
    EXPECT_EQ(Call("POST", "/api/show?window=2&delay=0").status, 204);
    for (int i = 0; i < 3; ++i) Pass();
    EXPECT_EQ(engine.Window().CurrentLayout(), engine.Layouts().Window(2));
    EXPECT_EQ(Call("POST", "/api/show?window=9").status, 404);
    EXPECT_EQ(Call("POST", "/api/show?window=x").status, 400);
    EXPECT_EQ(Call("GET", "/api/show?window=1").status, 405);

    EXPECT_EQ(Call("POST", "/api/show?window=1&delay=0").status, 204);
    for (int i = 0; i < 3; ++i) Pass();
    const TLayoutObject* official = engine.Layouts().Window(1)->State().objects.At(1);
    EXPECT_FALSE(official->IsVisible());
    EXPECT_EQ(Call("POST", "/api/trigger?name=Official").status, 204);
    EXPECT_TRUE(official->IsVisible());
    EXPECT_EQ(Call("POST", "/api/trigger?name=official&action=toggle").status, 204);
    EXPECT_FALSE(official->IsVisible());
    EXPECT_EQ(Call("POST", "/api/trigger?name=Oficial").status, 404);  // mistyped
    const WebAnswer bad = Call("POST", "/api/trigger?name=Official&action=flip");
    EXPECT_EQ(bad.status, 400);
    EXPECT_NE(bad.body.find("\"error\""), std::string::npos);
    EXPECT_EQ(Call("POST", "/api/trigger").status, 400);
    EXPECT_EQ(Call("POST", "/api/trigger?name=ThisNameIsFarTooLong").status, 400);
    // A name cannot carry more of a command line.
    EXPECT_EQ(Call("POST", "/api/trigger?name=x%3BCommand%3DLayoutDraw").status, 400);
}

TEST_F(WebOutput, FieldsArriveAsTheMonitorsObjectsAndTheirLastValuesAreKept) {
    ASSERT_TRUE(Start());
    WebSocketClient fields;
    ASSERT_EQ(fields.Open(output.Port(), "/fields"), 101);
    TFields definition(nullptr, 64);
    definition.name = KTestText("Lane");
    auto lane = std::make_unique<TField>(&definition);
    auto time = std::make_unique<TField>(&definition);
    TField& timeField = *time;
    lane->name = KTestText("Lane");
    lane->value = KTestText("4");
    time->name = KTestText("Time");
    time->value = KTestText("1:02.\"35");
    definition.fields.Add(std::move(lane));
    definition.fields.Add(std::move(time));
    engine.DeliverPacket(definition);
    WebSocketClient::Message message;
    ASSERT_TRUE(fields.Read(&message));
    EXPECT_TRUE(message.text);
    EXPECT_EQ(message.data, R"({"source":"","packet":"Lane","index":)" +
                                std::to_string(definition.DefinitionIndex()) +
                                R"(,"fields":[{"name":"Lane","value":"4","extracted":false},)"
                                R"({"name":"Time","value":"1:02.\"35","extracted":false}]})");
    timeField.value = KTestText("1:01.00");
    engine.DeliverPacket(definition);
    ASSERT_TRUE(fields.Read(&message));
    const WebAnswer snapshot = WebGet(output.Port(), "/fields.json");
    EXPECT_EQ(snapshot.status, 200);
    EXPECT_EQ(
        snapshot.body,
        R"({"sources":[{"name":"","status":"","packets":{"Lane":{"Lane":"4","Time":"1:01.00"}}}]})");
}

TEST_F(WebOutput, TheDelayHoldsTheBoardAndTheFieldsBackByItsTime) {
    TWebOutput::Options options;
    options.delayMs = 400;
    std::string error;
    ASSERT_TRUE(output.Start(options, &error)) << error;
    const auto boardIsBoard = [this] { return output.Board().Pixels() == surface.Pixels(); };
    const auto waitUntil = [](const std::function<bool()>& done) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!done() && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return done();
    };
    ASSERT_TRUE(waitUntil(boardIsBoard));
    WebSocketClient fields;
    ASSERT_EQ(fields.Open(output.Port(), "/fields"), 101);

    const auto start = std::chrono::steady_clock::now();
    engine.RunRemoteLine(KTestText("Command=Trigger;Name=Official;Action=On"));
    for (int i = 0; i < 3; ++i) Pass();
    TFields definition(nullptr, 64);
    definition.name = KTestText("Clock");
    engine.DeliverPacket(definition);
    EXPECT_FALSE(boardIsBoard());
    ASSERT_TRUE(waitUntil(boardIsBoard));
    const auto boardAfter = std::chrono::steady_clock::now() - start;
    WebSocketClient::Message message;
    ASSERT_TRUE(fields.Read(&message));
    const auto fieldsAfter = std::chrono::steady_clock::now() - start;
    EXPECT_GE(boardAfter, std::chrono::milliseconds(390));
    EXPECT_GE(fieldsAfter, std::chrono::milliseconds(390));
    EXPECT_NE(message.data.find("\"packet\":\"Clock\""), std::string::npos) << message.data;
}

}  // namespace

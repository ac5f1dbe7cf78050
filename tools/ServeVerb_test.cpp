#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "CliTestSupport.h"
#include "ImagesTestSupport.h"
#include "KTestSupport.h"
#include "WebTestSupport.h"

namespace {

std::string Packet(const std::string& body) {
    return "\x02" + body + "\r\x03";
}

class ServeVerb : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("XDG_CONFIG_HOME", folder.Path("config").c_str(), 1);
        CopyShippedFiles(folder.Path());
    }
    // A home whose source listens on TCP port, framing with the results script.
    void Configure(uint16_t port) {
        folder.Put("tessaron.cfg",
                   "Registry Version: 1.00\n\\Sources\\1\\:=\n\\Sources\\1\\Name:String=Pool\n"
                   "\\Sources\\1\\Script:String=Results.rss\n"
                   "\\Sources\\1\\SerialPort:String=-2,127.0.0.1," +
                       std::to_string(port) + "\n\\Sources\\1\\CharMode:Int=0\n");
    }
    static std::string Demo(const std::string& name) {
        return std::string(std::getenv("TESSARON_BIN")) + "/layouts/" + name + ".tly";
    }
    // The port the serve verb announced, 0 when it announced none.
    static int Listening(BackgroundCli& serve) {
        const std::string prefix = "{\"listening\":\"http://127.0.0.1:";
        if (!serve.WaitFor(prefix, 60000) || !serve.WaitFor("/\"}\n", 5000)) return 0;
        const std::string& out = serve.Output();
        return std::atoi(out.c_str() + out.find(prefix) + prefix.size());
    }

    KTestFolder folder;
};

// The board a client rebuilds from /board equals what render draws of the
// same layouts and bytes.
TEST_F(ServeVerb, TheServedBoardEqualsTheRenderedOneAndASignalEndsItInOrder) {
    const uint16_t sourcePort = KFreePort();
    Configure(sourcePort);
    BackgroundCli serve({"serve", "--home", folder.Path(), "--size", "640x360", "--listen",
                         "127.0.0.1:0", Demo("Results")});
    const int port = Listening(serve);
    ASSERT_GT(port, 0) << serve.Output();

    const std::string bytes = Packet("H10203Women 100m Freestyle") +
                              Packet("L1 5Anna Berg           SWE 54.87") +
                              Packet("L4 1Maria Rossi         ITA 53.12");
    const int source = KConnectLoopback(sourcePort);
    ASSERT_GE(source, 0);
    ASSERT_TRUE(WebSendAll(source, bytes));

    folder.Put("capture", bytes);
    Configure(0);
    const Result render =
        Cli({"render", "--home", folder.Path(), "--size", "640x360", "--out",
             folder.Path("out.png"), "--capture", folder.Path("capture"), Demo("Results")});
    ASSERT_EQ(render.status, 0) << render.err;
    const TestPicture expected = ReadPng(folder.Path("out.png"));
    ASSERT_EQ(expected.width, 640);

    WebSocketClient board;
    ASSERT_EQ(board.Open(port, "/board"), 101);
    std::vector<uint32_t> pixels(640 * 360, 0);
    const auto matches = [&] {
        for (size_t i = 0; i < pixels.size(); ++i) {
            if (pixels[i] != (0xFF000000u | expected.pixels[i])) return false;
        }
        return true;
    };
    WebSocketClient::Message message;
    bool same = false;
    while (!same && board.Read(&message, 10000)) {
        if (message.text) {
            EXPECT_EQ(message.data, R"({"width":640,"height":360,"transparent":false})");
            continue;
        }
        const int x = WebInt32(message.data, 0), y = WebInt32(message.data, 4);
        int w = 0, h = 0;
        const std::vector<uint32_t> png = DecodePng(message.data.substr(16), &w, &h);
        ASSERT_FALSE(png.empty());
        for (int row = 0; row < h; ++row)
            std::copy_n(&png[static_cast<size_t>(row) * w], w, &pixels[(y + row) * 640 + x]);
        same = matches();
    }
    EXPECT_TRUE(same);
    close(source);

    const Result end = serve.Stop();
    EXPECT_EQ(end.status, 0) << end.err;
}

TEST_F(ServeVerb, AnOpenAddressWithoutATokenIsRefusedAtStart) {
    Configure(0);
    const Result r =
        Cli({"serve", "--home", folder.Path(), "--listen", "0.0.0.0:0", Demo("Results")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("token"), std::string::npos) << r.err;
    EXPECT_EQ(r.out.find("listening"), std::string::npos);
}

}  // namespace

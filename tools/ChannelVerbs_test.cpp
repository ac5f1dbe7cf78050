#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <future>
#include <string>

#include "CliTestSupport.h"
#include "KEvent.h"
#include "KSocket.h"
#include "KTestSupport.h"

namespace {

std::string Pattern(size_t size) {
    std::string s(size, '\0');
    uint32_t x = 12345;
    for (char& c : s) {
        x = x * 1103515245 + 12345;
        c = static_cast<char>(x >> 16);
    }
    return s;
}

// Reads from a channel until want bytes came or nothing came for a while.
std::string Collect(KStream& channel, size_t want) {
    std::string got;
    got.reserve(want);
    uint64_t quiet = KTickCount();
    while (got.size() < want && KTickCount() - quiet < 10000) {
        channel.IsOpen();
        const size_t before = got.size();
        while (channel.Peek()) got += static_cast<char>(channel.GetChar());
        if (got.size() != before) {
            quiet = KTickCount();
        } else {
            usleep(200);
        }
    }
    return got;
}

class FeedVerb : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("XDG_CONFIG_HOME", folder.Path("config").c_str(), 1);
        input = folder.Put("capture.bin", data);
    }
    std::future<Result> Feed(const std::vector<std::string>& args) {
        std::vector<std::string> all = {"feed", "--home", folder.Path()};
        all.insert(all.end(), args.begin(), args.end());
        return std::async(std::launch::async, [all] { return Cli(all); });
    }
    KTestFolder folder;
    std::string data = Pattern(10 << 20);
    std::string input;
};

TEST_F(FeedVerb, DeliversByteExactToATcpListener) {
    KTCPSocket listener(65536, true);
    ASSERT_TRUE(listener.OpenChannel(KTestText("-2,127.0.0.1,0")));
    auto feed = Feed({"--to", "-1,127.0.0.1," + std::to_string(listener.ListeningPort()), input});
    EXPECT_EQ(Collect(listener, data.size()) == data, true);
    EXPECT_EQ(feed.get().status, 0);
}

TEST_F(FeedVerb, WaitsForAClientWhenListening) {
    const std::string port = std::to_string(KFreePort());
    auto feed = Feed({"--to", "-2,127.0.0.1," + port, input});
    KTCPSocket client(65536, true);
    ASSERT_TRUE(client.OpenChannel(KTestText("-1,127.0.0.1," + port)));
    EXPECT_EQ(Collect(client, data.size()) == data, true);
    EXPECT_EQ(feed.get().status, 0);
}

// A rate the receiver's buffer absorbs even when the test is held up for
// most of a second: UDP drops what does not fit.
TEST_F(FeedVerb, SendsDatagramsAtARate) {
    data = Pattern(256 << 10);
    input = folder.Put("capture.bin", data);
    KUDPSocket receiver(65536, 2048);
    const std::string port = std::to_string(KFreePort(SOCK_DGRAM));
    ASSERT_TRUE(receiver.OpenChannel(KTestText("-3,127.0.0.1," + port)));
    const uint64_t start = KTickCount();
    auto feed = Feed({"--to", "-3,127.0.0.1," + port, "--rate", "512000", input});
    EXPECT_EQ(Collect(receiver, data.size()) == data, true);
    // Paced: the last kilobyte cannot go before half a second.
    EXPECT_GE(KTickCount() - start, 500u);
    EXPECT_EQ(feed.get().status, 0);
}

TEST_F(FeedVerb, WritesToAPseudoTerminalThroughADeviceOverride) {
    data = Pattern(1 << 20);
    input = folder.Put("capture.bin", data);
    termios raw{};
    cfmakeraw(&raw);
    int master, slave;
    char name[256];
    ASSERT_EQ(openpty(&master, &slave, name, &raw, nullptr), 0);
    fcntl(master, F_SETFL, O_NONBLOCK);
    folder.Put(
        "tessaron.cfg",
        std::string("Registry Version: 1.00\n\\SerialPort\\Devices\\1:String=") + name + "\n");
    Result ports = Cli({"ports", "--home", folder.Path()});
    EXPECT_NE(ports.out.find(std::string("1\tCOM1 (Serial Port)\t") + name + "\n"),
              std::string::npos)
        << ports.out;
    EXPECT_EQ(Cli({"ports", "--home", folder.Path(), "-noserialport"}).out, "");
    auto feed = Feed({"--to", "1,115200,8,N,1.0", "--rate", "50000000", input});
    std::string got;
    char buf[65536];
    uint64_t quiet = KTickCount();
    while (got.size() < data.size() && KTickCount() - quiet < 10000) {
        const ssize_t n = read(master, buf, sizeof buf);
        if (n > 0) {
            got.append(buf, static_cast<size_t>(n));
            quiet = KTickCount();
        } else {
            usleep(200);
        }
    }
    EXPECT_EQ(got == data, true);
    EXPECT_EQ(feed.get().status, 0);
    close(master);
    close(slave);
}

TEST_F(FeedVerb, ChannelsThatCannotOpen) {
    EXPECT_EQ(Cli({"feed", "--home", folder.Path(), "--to", "7,9600,8,N,1.0", input}).status, 1);
    EXPECT_EQ(Cli({"feed", "--home", folder.Path(), "--to", "-3,127.0.0.1,0", input}).status, 1);
    EXPECT_EQ(Cli({"feed", "--home", folder.Path(), "--to", "0", input}).status, 1);
    EXPECT_EQ(Cli({"feed", "--home", folder.Path(), input}).status, 2);
    EXPECT_EQ(
        Cli({"feed", "--home", folder.Path(), "--to", "-1,127.0.0.1,1", folder.Path("missing")})
            .status,
        1);
}

}  // namespace

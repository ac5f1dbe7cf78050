#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <pty.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "CliTestSupport.h"
#include "KTestSupport.h"

namespace {

// How long a test waits for what the monitor must print: long enough for a
// loaded machine running sanitized builds; a passing test never waits it out.
constexpr int kPatience = 20000;

std::string StatusLine(const std::string& status) {
    return "{\"source\":\"Pool\",\"status\":\"" + status + "\"}\n";
}

std::string PacketLine(const std::string& name) {
    return "{\"source\":\"Pool\",\"packet\":\"Results\",\"index\":0,\"fields\":[{\"name\":\"Name\","
           "\"value\":\"" +
           name + "\",\"extracted\":true}]}\n";
}

// The monitor of a home whose one source uses port, fed by the feeder.
class MonitorVerb : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("XDG_CONFIG_HOME", folder.Path("config").c_str(), 1);
        folder.Put(
            "Results.rss",
            ";;Results\nheader=\\02,length=1\ntrailer=\\03,length=1\ntextfield=Name,stop=\\0d\n");
        folder.Put("Video Display.rss", ";;Video Display\nheader=\\02,length=1\n");
        input = folder.Put("packets.bin",
                           "\x02"
                           "Smith\r\x03"
                           "Command=LayoutDraw\n\x02"
                           "Jones\r\x03");
    }
    void Configure(const std::string& port, const std::string& extra = "", int codeSet = 0) {
        folder.Put("tessaron.cfg",
                   "Registry Version: 1.00\n\\Sources\\1\\:=\n\\Sources\\1\\Name:String=Pool\n"
                   "\\Sources\\1\\Script:String=Results.rss\n\\Sources\\1\\SerialPort:String=" +
                       port + "\n\\Sources\\1\\CharMode:Int=" + std::to_string(codeSet) + "\n" +
                       extra);
    }
    // Starts the monitor and waits until it shows the status of its source.
    std::unique_ptr<BackgroundCli> Monitor(const std::string& status) {
        auto monitor = std::make_unique<BackgroundCli>(
            std::vector<std::string>{"monitor", "--home", folder.Path()});
        EXPECT_TRUE(monitor->WaitFor(StatusLine(status), kPatience)) << status;
        return monitor;
    }
    Result Feed(const std::string& to) {
        return Cli({"feed", "--home", folder.Path(), "--to", to, input});
    }
    // Stops the monitor once it has shown the last packet of the input.
    static Result StopAfterInput(BackgroundCli& monitor) {
        EXPECT_TRUE(monitor.WaitFor(PacketLine("Jones"), kPatience));
        return monitor.Stop();
    }
    static void ExpectPackets(const Result& r) {
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_NE(r.out.find(PacketLine("Smith")), std::string::npos) << r.out;
        EXPECT_NE(r.out.find("{\"source\":\"Pool\",\"remote\":\"Command=LayoutDraw\"}\n"),
                  std::string::npos);
        EXPECT_NE(r.out.find(PacketLine("Jones")), std::string::npos);
        // The status at start; its later changes depend on timing and are
        // checked where the sources are polled step by step.
        EXPECT_EQ(r.out.rfind("{\"source\":\"Pool\",\"status\":", 0), 0u) << r.out;
    }
    KTestFolder folder;
    std::string input;
};

TEST_F(MonitorVerb, SourceListensFeederConnects) {
    const std::string port = std::to_string(KFreePort());
    Configure("-2,127.0.0.1," + port);
    auto monitor = Monitor("Not Connected");  // listening
    EXPECT_EQ(Feed("-1,127.0.0.1," + port).status, 0);
    ExpectPackets(StopAfterInput(*monitor));
    // The configuration was saved at the end, the source's settings in it.
    EXPECT_NE(
        folder.Get("tessaron.cfg").find("\\Sources\\1\\SerialPort:String,1=-2,127.0.0.1," + port),
        std::string::npos);
}

TEST_F(MonitorVerb, SourceConnectsToTheFeeder) {
    const std::string port = std::to_string(KFreePort());
    Configure("-1,127.0.0.1," + port);
    auto monitor = Monitor("Not Connected");
    EXPECT_EQ(Feed("-2,127.0.0.1," + port).status, 0);
    ExpectPackets(StopAfterInput(*monitor));
}

TEST_F(MonitorVerb, SourceReceivesDatagrams) {
    const std::string port = std::to_string(KFreePort(SOCK_DGRAM));
    Configure("-3,127.0.0.1," + port);
    auto monitor = Monitor("Running");  // bound
    EXPECT_EQ(Feed("-3,127.0.0.1," + port).status, 0);
    ExpectPackets(StopAfterInput(*monitor));
}

TEST_F(MonitorVerb, SourceReadsASerialLine) {
    termios raw{};
    cfmakeraw(&raw);
    int master, slave;
    char name[256];
    ASSERT_EQ(openpty(&master, &slave, name, &raw, nullptr), 0);
    Configure("1,115200,8,N,1.0", std::string("\\SerialPort\\Devices\\1:String,1=") + name + "\n");
    auto monitor = Monitor("Running");
    const std::string bytes =
        "\x02"
        "Smith\r\x03"
        "Command=LayoutDraw\n\x02"
        "Jones\r\x03";
    ASSERT_EQ(write(master, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    ExpectPackets(StopAfterInput(*monitor));
    close(master);
    close(slave);
}

// A timing system that goes away and comes back, a sender of garbage and an
// adapter pulled out and put back: the monitor runs on and delivers again.
TEST_F(MonitorVerb, TimingSystemDisconnectsAndReconnects) {
    const std::string port = std::to_string(KFreePort());
    Configure("-2,127.0.0.1," + port);
    auto monitor = Monitor("Not Connected");
    for (int round = 0; round < 3; ++round) {
        const std::string name = "Round" + std::to_string(round);
        input = folder.Put(name + ".bin", "\x02" + name + "a\r\x03\x02" + name + "b\r\x03");
        EXPECT_EQ(Feed("-1,127.0.0.1," + port).status, 0);
        EXPECT_TRUE(monitor->WaitFor(PacketLine(name + "a"), kPatience)) << name;
        EXPECT_TRUE(monitor->WaitFor(PacketLine(name + "b"), kPatience)) << name;
    }
    const Result r = monitor->Stop();
    EXPECT_EQ(r.status, 0) << r.err;
}

TEST_F(MonitorVerb, GarbageDatagramsThenPackets) {
    const std::string port = std::to_string(KFreePort(SOCK_DGRAM));
    Configure("-3,127.0.0.1," + port);
    auto monitor = Monitor("Running");
    std::string garbage;
    uint32_t seed = 99;
    for (int i = 0; i < 200000; ++i) {
        seed = seed * 1103515245 + 12345;
        garbage += static_cast<char>(seed >> 24);
    }
    // The garbage ends any packet it opened; then real packets follow.
    garbage += "\r\x03";
    const std::string packets = input;
    input = folder.Put("garbage.bin", garbage);
    EXPECT_EQ(Feed("-3,127.0.0.1," + port).status, 0);
    input = packets;
    EXPECT_EQ(Feed("-3,127.0.0.1," + port).status, 0);
    ExpectPackets(StopAfterInput(*monitor));
}

TEST_F(MonitorVerb, AdapterUnpluggedAndPluggedBack) {
    termios raw{};
    cfmakeraw(&raw);
    int master, slave;
    char name[256];
    // The monitor must not inherit the pty: an unplug closes every end of it.
    const auto openUnshared = [&] {
        if (openpty(&master, &slave, name, &raw, nullptr) != 0) return false;
        fcntl(master, F_SETFD, FD_CLOEXEC);
        fcntl(slave, F_SETFD, FD_CLOEXEC);
        return true;
    };
    ASSERT_TRUE(openUnshared());
    const std::string device = folder.Path("ttyUSB-timer");
    ASSERT_EQ(symlink(name, device.c_str()), 0);
    Configure("1,115200,8,N,1.0", "\\SerialPort\\Devices\\1:String,1=" + device + "\n");
    auto monitor = Monitor("Running");
    ASSERT_EQ(write(master,
                    "\x02"
                    "Before\r\x03",
                    9),
              9);
    EXPECT_TRUE(monitor->WaitFor(PacketLine("Before"), kPatience));
    // Unplugged: the device is gone; then a new one appears under the same name.
    close(slave);
    close(master);
    unlink(device.c_str());
    EXPECT_TRUE(monitor->WaitFor(StatusLine("Not Connected"), kPatience));
    ASSERT_TRUE(openUnshared());
    ASSERT_EQ(symlink(name, device.c_str()), 0);
    EXPECT_TRUE(monitor->WaitFor(StatusLine("Running"), kPatience));
    ASSERT_EQ(write(master,
                    "\x02"
                    "After\r\x03",
                    8),
              8);
    EXPECT_TRUE(monitor->WaitFor(PacketLine("After"), kPatience));
    const Result r = monitor->Stop();
    EXPECT_EQ(r.status, 0) << r.err;
    close(master);
    close(slave);
}

// The stream in a code set: 1 is UTF-16 LE, 2 UTF-8.
std::string Encode(const std::string& utf8, int codeSet) {
    if (codeSet == 2) return utf8;
    const KString text = KTestText(utf8);
    std::string bytes;
    for (int32_t i = 0; i < text.Length(); ++i) {
        bytes += static_cast<char>(text.Chars()[i] & 0xFF);
        bytes += static_cast<char>(text.Chars()[i] >> 8);
    }
    return bytes;
}

// Connects to port and writes bytes in pieces of these sizes, a few
// milliseconds apart so that each arrives in a read of its own; returns the
// connection.
int SendInPieces(uint16_t port, const std::string& bytes, const std::vector<size_t>& sizes) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    EXPECT_EQ(connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to), 0);
    size_t at = 0;
    for (size_t size : sizes) {
        size = std::min(size, bytes.size() - at);
        EXPECT_EQ(send(fd, bytes.data() + at, size, MSG_NOSIGNAL), static_cast<ssize_t>(size));
        at += size;
        usleep(3000);
    }
    return fd;
}

// Characters of code sets 1 and 2 split anywhere between the writes of a TCP
// peer come out whole: the packets are those of one whole write.
TEST_F(MonitorVerb, CodeSetStreamsSplitAnywhere) {
    const unsigned seed = std::random_device()();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    const std::string stream =
        "\x02"
        "café €\r\x03"
        "Name=x\n\x02"
        "Zürich\r\x03";
    const std::string lines = PacketLine("café €") +
                              "{\"source\":\"Pool\",\"remote\":\"Name=x\"}\n" +
                              PacketLine("Zürich");
    for (const int codeSet : {2, 1}) {
        SCOPED_TRACE("code set " + std::to_string(codeSet));
        const std::string bytes = Encode(stream, codeSet);
        // Whole; cut between the bytes of the é; then in random pieces.
        const size_t insideE = Encode("\002caf", codeSet).size() + 1;
        std::vector<std::vector<size_t>> feeds = {{bytes.size()}, {insideE, bytes.size()}};
        for (int i = 0; i < 8; ++i) {
            std::vector<size_t> sizes;
            for (size_t left = bytes.size(); left > 0;) {
                const size_t size =
                    std::min(left, std::uniform_int_distribution<size_t>(1, 64)(random));
                sizes.push_back(size);
                left -= size;
            }
            feeds.push_back(sizes);
        }
        const uint16_t port = KFreePort();
        Configure("-2,127.0.0.1," + std::to_string(port), "", codeSet);
        auto monitor = Monitor("Not Connected");
        std::string expected;
        for (const std::vector<size_t>& sizes : feeds) {
            const int fd = SendInPieces(port, bytes, sizes);
            ASSERT_TRUE(monitor->WaitFor(PacketLine("Zürich"), kPatience));
            close(fd);
            expected += lines;
        }
        const Result r = monitor->Stop();
        EXPECT_EQ(r.status, 0) << r.err;
        std::string packets;
        std::istringstream in(r.out);
        for (std::string line; std::getline(in, line);)
            if (line.find("\"status\":") == std::string::npos) packets += line + "\n";
        EXPECT_EQ(packets, expected);
    }
}

TEST_F(MonitorVerb, UsageErrors) {
    EXPECT_EQ(Cli({"monitor", "--bogus"}).status, 2);
    EXPECT_EQ(Cli({"monitor", "--seconds"}).status, 2);
}

}  // namespace

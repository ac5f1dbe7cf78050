#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <future>
#include <string>

#include "CliTestSupport.h"
#include "KTestSupport.h"

namespace {

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
    void Configure(const std::string& port, const std::string& extra = "") {
        folder.Put("tessaron.cfg",
                   "Registry Version: 1.00\n\\Sources\\1\\:=\n\\Sources\\1\\Name:String=Pool\n"
                   "\\Sources\\1\\Script:String=Results.rss\n\\Sources\\1\\SerialPort:String=" +
                       port + "\n\\Sources\\1\\CharMode:Int=0\n" + extra);
    }
    std::future<Result> Monitor(int seconds) {
        std::vector<std::string> args = {"monitor", "--home", folder.Path(), "--seconds",
                                         std::to_string(seconds)};
        return std::async(std::launch::async, [args] { return Cli(args); });
    }
    Result Feed(const std::string& to) {
        return Cli({"feed", "--home", folder.Path(), "--to", to, input});
    }
    static void ExpectPackets(const Result& r) {
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_NE(r.out.find("{\"source\":\"Pool\",\"packet\":\"Results\",\"index\":0,\"fields\":[{"
                             "\"name\":\"Name\","
                             "\"value\":\"Smith\",\"extracted\":true}]}\n"),
                  std::string::npos)
            << r.out;
        EXPECT_NE(r.out.find("{\"source\":\"Pool\",\"remote\":\"Command=LayoutDraw\"}\n"),
                  std::string::npos);
        EXPECT_NE(r.out.find("\"value\":\"Jones\""), std::string::npos);
        // The status at start; its later changes depend on timing and are
        // checked where the sources are polled step by step.
        EXPECT_EQ(r.out.rfind("{\"source\":\"Pool\",\"status\":", 0), 0u) << r.out;
    }
    KTestFolder folder;
    std::string input;
};

TEST_F(MonitorVerb, SourceListensFeederConnects) {
    Configure("-2,127.0.0.1,47951");
    auto monitor = Monitor(4);
    EXPECT_EQ(Feed("-1,127.0.0.1,47951").status, 0);
    ExpectPackets(monitor.get());
    // The configuration was saved at the end, the source's settings in it.
    EXPECT_NE(
        folder.Get("tessaron.cfg").find("\\Sources\\1\\SerialPort:String,1=-2,127.0.0.1,47951"),
        std::string::npos);
}

TEST_F(MonitorVerb, SourceConnectsToTheFeeder) {
    Configure("-1,127.0.0.1,47952");
    auto monitor = Monitor(4);
    EXPECT_EQ(Feed("-2,127.0.0.1,47952").status, 0);
    ExpectPackets(monitor.get());
}

TEST_F(MonitorVerb, SourceReceivesDatagrams) {
    Configure("-3,127.0.0.1,47953");
    auto monitor = Monitor(3);
    usleep(1500000);  // the monitor is up and bound
    EXPECT_EQ(Feed("-3,127.0.0.1,47953").status, 0);
    ExpectPackets(monitor.get());
}

TEST_F(MonitorVerb, SourceReadsASerialLine) {
    termios raw{};
    cfmakeraw(&raw);
    int master, slave;
    char name[256];
    ASSERT_EQ(openpty(&master, &slave, name, &raw, nullptr), 0);
    Configure("1,115200,8,N,1.0", std::string("\\SerialPort\\Devices\\1:String,1=") + name + "\n");
    auto monitor = Monitor(3);
    usleep(1500000);
    const std::string bytes =
        "\x02"
        "Smith\r\x03"
        "Command=LayoutDraw\n\x02"
        "Jones\r\x03";
    ASSERT_EQ(write(master, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    ExpectPackets(monitor.get());
    close(master);
    close(slave);
}

// A timing system that goes away and comes back, a sender of garbage and an
// adapter pulled out and put back: the monitor runs on and delivers again.
TEST_F(MonitorVerb, TimingSystemDisconnectsAndReconnects) {
    Configure("-2,127.0.0.1,47954");
    auto monitor = Monitor(5);
    for (int round = 0; round < 3; ++round) {
        const std::string name = "Round" + std::to_string(round);
        input = folder.Put(name + ".bin", "\x02" + name + "a\r\x03\x02" + name + "b\r\x03");
        EXPECT_EQ(Feed("-1,127.0.0.1,47954").status, 0);
    }
    const Result r = monitor.get();
    EXPECT_EQ(r.status, 0) << r.err;
    for (const char* value : {"Round0a", "Round0b", "Round1a", "Round1b", "Round2a", "Round2b"})
        EXPECT_NE(r.out.find(std::string("\"value\":\"") + value + "\""), std::string::npos)
            << value << "\n"
            << r.out;
}

TEST_F(MonitorVerb, GarbageDatagramsThenPackets) {
    Configure("-3,127.0.0.1,47955");
    auto monitor = Monitor(4);
    usleep(1500000);
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
    EXPECT_EQ(Feed("-3,127.0.0.1,47955").status, 0);
    input = packets;
    EXPECT_EQ(Feed("-3,127.0.0.1,47955").status, 0);
    ExpectPackets(monitor.get());
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
    auto monitor = Monitor(7);
    usleep(1500000);
    ASSERT_EQ(write(master,
                    "\x02"
                    "Before\r\x03",
                    9),
              9);
    usleep(500000);
    // Unplugged: the device is gone; then a new one appears under the same name.
    close(slave);
    close(master);
    unlink(device.c_str());
    usleep(500000);
    ASSERT_TRUE(openUnshared());
    ASSERT_EQ(symlink(name, device.c_str()), 0);
    usleep(2500000);
    ASSERT_EQ(write(master,
                    "\x02"
                    "After\r\x03",
                    8),
              8);
    const Result r = monitor.get();
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("\"status\":\"Not Connected\""), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"value\":\"Before\""), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"value\":\"After\""), std::string::npos) << r.out;
    close(master);
    close(slave);
}

TEST_F(MonitorVerb, UsageErrors) {
    EXPECT_EQ(Cli({"monitor", "--bogus"}).status, 2);
    EXPECT_EQ(Cli({"monitor", "--seconds"}).status, 2);
}

}  // namespace

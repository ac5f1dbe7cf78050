#include "TSources.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "KEvent.h"
#include "KLog.h"
#include "KSerialPort.h"
#include "KTestSupport.h"
#include "KUtf8.h"
#include "TDefaultSettings.h"

namespace {

const char kScript[] =
    ";;Results\nheader=\\02,length=1\ntrailer=\\03,length=1\ntextfield=Text,stop=\\0d\n";

struct Packets : TPacketSink, TRemoteHandler {
    void DeliverPacket(TFields& d) override {
        seen.push_back(KUtf8Of(d.name) + "#" + std::to_string(d.DefinitionIndex()) + "=" +
                       KUtf8Of(d.FirstField()->value));
    }
    void ExecuteRemote(const TReceiver&, const KString& line) override {
        seen.push_back("remote " + KUtf8Of(line));
    }
    std::vector<std::string> seen;
};

// What the socket has received by now.
std::string ReadNow(int fd) {
    std::string got;
    char buf[4096];
    ssize_t n;
    while ((n = read(fd, buf, sizeof buf)) > 0) got.append(buf, static_cast<size_t>(n));
    return got;
}

// Reads what the socket receives until the text holds until, or a few
// seconds pass.
std::string ReadUntil(int fd, const std::string& until) {
    std::string got;
    const uint64_t end = KTickCount() + 5000;
    while (got.find(until) == std::string::npos && KTickCount() < end) {
        pollfd p{fd, POLLIN, 0};
        poll(&p, 1, 100);
        got += ReadNow(fd);
    }
    return got;
}

// A source listening on this port.
std::string ListenSpec(uint16_t port) {
    return "-2,127.0.0.1," + std::to_string(port);
}

class SourcesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ApplyDefaultSettings(settings);
        folder.Put("Video Display.rss", kScript);
        folder.Put("Other.rss", ";;Other\nheader=#,length=1\nbodylength=2\ntextfield=T,length=2\n");
    }
    void TearDown() override {
        KRegistry none;
        KSerialPorts::Program().Enumerate(none, true);
    }
    void Source(int n, const std::string& name, const std::string& script,
                const std::string& port) {
        const std::string g = "Sources\\" + std::to_string(n) + "\\";
        Apply(g + ":=");
        Apply(g + "Name:String=" + name);
        Apply(g + "Script:String=" + script);
        Apply(g + "SerialPort:String=" + port);
        Apply(g + "CharMode:Int=0");
    }
    void Apply(const std::string& line) { settings.ApplyLine(KTestText(line)); }
    std::string Value(const std::string& path) {
        return KUtf8Of(settings.StringOf(KTestText(path)));
    }
    KRGroup& Group(int n) {
        return *settings.FindGroup(KTestText("\\Sources\\" + std::to_string(n) + "\\"));
    }
    std::string Status(TSources& s, int n) { return KUtf8Of(s.SourceStatus(Group(n))); }
    // Polls until the condition holds or a few seconds pass.
    template <typename F>
    bool PollUntil(TSources& s, F done) {
        for (int i = 0; i < 3000; ++i) {
            s.Poll();
            if (done()) return true;
            usleep(1000);
        }
        return false;
    }

    KRegistry settings;
    KTestFolder folder;
    Packets packets;
};

TEST_F(SourcesTest, FirstStartGetsASourceOnCom1AndScriptsAreKept) {
    Source(3, "Kept", "Other.rss", "0");
    Source(4, "Empty", "", "0");
    Apply("Sources\\abc\\:=");  // not a source group
    Apply("Sources\\abc\\Script:String=x");
    TSources::Prepare(settings, false);
    EXPECT_EQ(Value("\\Sources\\3\\Script"), "Other.rss");
    EXPECT_EQ(Value("\\Sources\\4\\Script"), "Video Display.rss");
    EXPECT_EQ(Value("\\Sources\\5\\Name"), "Source");
    EXPECT_EQ(Value("\\Sources\\5\\SerialPort"), "1,9600,8,N,1.0");
    EXPECT_EQ(Value("\\Sources\\5\\Script"), "Video Display.rss");
    TSources sources(settings, folder.Path(), &packets, &packets);
    ASSERT_EQ(sources.List().Count(), 3);
    EXPECT_EQ(Status(sources, 3), "Not Running");
    EXPECT_EQ(Status(sources, 5), "Not Connected");  // there is no COM1 here
    // Definitions are numbered across sources in list order.
    auto* third = sources.List().Tail();
    EXPECT_EQ(third->script.Definitions().Head()->DefinitionIndex(), 2);
}

TEST_F(SourcesTest, AMissingConfiguredScriptFallsBackAndScriptChanges) {
    Source(1, "One", "Missing.rss", "0");
    TSources::Prepare(settings, true);
    KLog log(KTestText(folder.Path("tessaron.log")));
    KLog::SetProgramLog(&log);
    TSources sources(settings, folder.Path(), &packets, &packets);
    // The log says why the source runs another script than the one chosen.
    EXPECT_NE(folder.Get("tessaron.log")
                  .find(": TSource::LoadScript: source \"One\" cannot load the script "
                        "\"Missing.rss\" and uses \"Video Display.rss\" in its place"),
              std::string::npos)
        << folder.Get("tessaron.log");
    ASSERT_EQ(sources.List().Count(), 1);
    auto* source = sources.List().Head();
    EXPECT_EQ(Value("\\Sources\\1\\Script"), "Missing.rss");  // the user's choice stays
    EXPECT_EQ(KUtf8Of(source->script.Definitions().Head()->name), "Results");
    Apply("Sources\\1\\Script:String=Other.rss");
    EXPECT_EQ(KUtf8Of(source->script.Definitions().Head()->name), "Other");
    TFields* before = source->script.Definitions().Head();
    Apply("Sources\\1\\Script:String=Other.rss");  // the same text does not reload
    EXPECT_EQ(source->script.Definitions().Head(), before);
    Apply("Sources\\1\\Script:String=Gone.rss");  // a missing file keeps the definitions
    EXPECT_EQ(source->script.Definitions().Head(), before);
    EXPECT_NE(folder.Get("tessaron.log").find("\"Gone.rss\" and keeps the one it had"),
              std::string::npos);
    EXPECT_EQ(Value("\\Sources\\1\\Script"), "Gone.rss");
    // A group without the settings of a source is not loaded.
    Apply("Sources\\2\\:=");
    Apply("Sources\\2\\Name:String=Half");
    EXPECT_EQ(Status(sources, 2), "Not Loaded");
}

TEST_F(SourcesTest, ChoosingAPortTakesItFromAnotherSource) {
    termios raw{};
    cfmakeraw(&raw);
    int master, slave;
    char name[256];
    ASSERT_EQ(openpty(&master, &slave, name, &raw, nullptr), 0);
    Apply(std::string("SerialPort\\Devices\\1:String=") + name);
    KSerialPorts::Program().Enumerate(settings, false);
    Source(1, "First", "Video Display.rss", "1,19200,7,E,1.0,500");
    Source(2, "Second", "Video Display.rss", "-1,127.0.0.1,1");
    TSources sources(settings, folder.Path(), &packets, &packets);
    EXPECT_EQ(Status(sources, 1), "Running");
    Apply("Sources\\2\\SerialPort:String=1,9600,8,N,1.0");
    EXPECT_EQ(Value("\\Sources\\1\\SerialPort"), "0,19200,7,E,1.0");
    EXPECT_EQ(Status(sources, 1), "Not Running");
    EXPECT_EQ(Status(sources, 2), "Running");
    ASSERT_EQ(write(master,
                    "\x02"
                    "com1\r\x03",
                    7),
              7);
    EXPECT_TRUE(PollUntil(sources, [&] { return !packets.seen.empty(); }));
    EXPECT_EQ(packets.seen[0], "Results#1=com1");
    close(master);
    close(slave);
}

TEST_F(SourcesTest, DebugPortShowsTheTrace) {
    const std::vector<uint16_t> ports = KFreePorts(3);
    ASSERT_EQ(ports.size(), 3u);
    const uint16_t timerPort = ports[0], otherPort = ports[1], debugPort = ports[2];
    Source(1, "Timer", "Video Display.rss", ListenSpec(timerPort));
    Source(2, "Other", "Video Display.rss", ListenSpec(otherPort));
    Apply("Sources\\DebugPort:String=" + ListenSpec(debugPort));
    TSources sources(settings, folder.Path(), &packets, &packets);
    const int timer = KConnectLoopback(timerPort);
    const int other = KConnectLoopback(otherPort);
    const int debug = KConnectLoopback(debugPort);
    ASSERT_TRUE(PollUntil(sources, [&] {
        return Status(sources, 1) == "Running" && Status(sources, 2) == "Running";
    }));
    for (int i = 0; i < 20; ++i) sources.Poll();  // the debug client is accepted
    ASSERT_EQ(write(timer,
                    "\x02"
                    "AB\r\x03",
                    5),
              5);
    ASSERT_TRUE(PollUntil(sources, [&] { return packets.seen.size() == 1; }));
    const std::string expected =
        "\r\n000000:[02]\r\n000001:{Timer Results HDR}\r\n000001:AB[0D][03]"
        "\r\n000005:{Timer Results BDY TRL}\r\n000005:";
    EXPECT_EQ(ReadUntil(debug, expected), expected);
    // Typing 2 limits the trace to the second source, with an echo.
    ASSERT_EQ(write(debug, "2", 1), 1);
    std::string trace;
    ASSERT_TRUE(PollUntil(sources, [&] {
        trace += ReadNow(debug);
        return !trace.empty();
    }));
    // The first source's character is received before the second's and
    // would be traced before it.
    auto* first = sources.List().Head();
    const int64_t firstChars = first->script.CharsReceived();
    ASSERT_EQ(write(timer, "x", 1), 1);
    ASSERT_TRUE(PollUntil(sources, [&] { return first->script.CharsReceived() > firstChars; }));
    ASSERT_EQ(write(other, "y", 1), 1);
    ASSERT_TRUE(PollUntil(sources, [&] {
        trace += ReadNow(debug);
        return trace.find('y') != std::string::npos;
    }));
    EXPECT_EQ(trace, "2y");
    close(timer);
    close(other);
    close(debug);
}

TEST_F(SourcesTest, NoClientNoTraceAndLongEventsStartNewLines) {
    const std::vector<uint16_t> ports = KFreePorts(3);
    ASSERT_EQ(ports.size(), 3u);
    const uint16_t timerPort = ports[0], longPort = ports[1], debugPort = ports[2];
    Source(1, std::string(40, 'S'), "Video Display.rss", ListenSpec(timerPort));
    Source(2, std::string(60, 'L'), "Video Display.rss", ListenSpec(longPort));
    Apply("Sources\\DebugPort:String=" + ListenSpec(debugPort));
    TSources sources(settings, folder.Path(), &packets, &packets);
    const int timer = KConnectLoopback(timerPort);
    const int longName = KConnectLoopback(longPort);
    ASSERT_TRUE(PollUntil(sources, [&] {
        return Status(sources, 1) == "Running" && Status(sources, 2) == "Running";
    }));
    ASSERT_EQ(write(timer,
                    "\x02"
                    "z\r\x03",
                    4),
              4);  // traced to nobody: the count stays 0
    ASSERT_TRUE(PollUntil(sources, [&] { return packets.seen.size() == 1; }));
    const int debug = KConnectLoopback(debugPort);
    for (int i = 0; i < 20; ++i) sources.Poll();
    ASSERT_EQ(write(timer,
                    "\x02"
                    "z\r\x03",
                    4),
              4);
    ASSERT_TRUE(PollUntil(sources, [&] { return packets.seen.size() == 2; }));
    std::string trace = ReadUntil(debug, "TRL}");
    const std::string name(40, 'S');
    // A 56-character event fits; the text after it still starts a line.
    EXPECT_EQ(trace.substr(0, 13), "\r\n000000:[02]");
    EXPECT_NE(trace.find("\r\n000001:{" + name + " Results HDR}\r\n000001:z[0D][03]"),
              std::string::npos)
        << trace;
    // A 74-character event does not fit a fresh line: it starts another one,
    // and the budget it leaves below zero makes the next text start a line too.
    ASSERT_EQ(write(longName,
                    "\x02"
                    "z\r\x03",
                    4),
              4);
    ASSERT_TRUE(PollUntil(sources, [&] { return packets.seen.size() == 3; }));
    trace = ReadUntil(debug, "TRL}");
    EXPECT_EQ(trace.substr(0, trace.find("z")),
              "[02]\r\n000005:\r\n000005:{" + std::string(60, 'L') + " Results HDR}\r\n000005:")
        << trace;
    close(timer);
    close(longName);
    close(debug);
}

}  // namespace

TEST_F(SourcesTest, ALoopCanSleepUntilASourceHasInput) {
    const uint16_t port = KFreePort();
    Source(1, "Timer", "Video Display.rss", ListenSpec(port));
    Source(2, "Idle", "Video Display.rss", "0");
    TSources sources(settings, folder.Path(), &packets, &packets);
    const auto readable = [&](int timeoutMs) {
        std::vector<int> fds;
        sources.WaitDescriptors(fds);
        std::vector<pollfd> wait;
        for (int fd : fds) wait.push_back({fd, POLLIN, 0});
        return !fds.empty() && poll(wait.data(), wait.size(), timeoutMs) >= 1;
    };
    EXPECT_FALSE(readable(0));
    // A client knocking wakes the listening socket; its bytes wake the
    // connection that takes its place.
    const int timer = KConnectLoopback(port);
    EXPECT_TRUE(readable(2000));
    ASSERT_TRUE(PollUntil(sources, [&] { return Status(sources, 1) == "Running"; }));
    EXPECT_FALSE(readable(0));
    ASSERT_EQ(write(timer,
                    "\x02"
                    "AB\r\x03",
                    5),
              5);
    EXPECT_TRUE(readable(2000));
    ASSERT_TRUE(PollUntil(sources, [&] { return packets.seen.size() == 1; }));
    EXPECT_FALSE(readable(0));
    // The debug port wakes the loop as well: a client that connects to it.
    const uint16_t debugPort = KFreePort();
    Apply("Sources\\DebugPort:String=" + ListenSpec(debugPort));
    sources.Poll();
    EXPECT_FALSE(readable(0));
    const int debug = KConnectLoopback(debugPort);
    EXPECT_TRUE(readable(2000));
    EXPECT_EQ(sources.PollDueIn(), KClock::kNever);
    close(debug);
    close(timer);
}

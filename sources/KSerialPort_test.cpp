#include "KSerialPort.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <string>

#include "KEvent.h"
#include "KRegistry.h"
#include "KTestSupport.h"
#include "KUtf8.h"
#include "KX.h"
#include "TDefaultSettings.h"

namespace {

// A pseudo-terminal: the test holds the master, the channel opens the slave.
struct Pty {
    Pty() {
        termios raw{};
        cfmakeraw(&raw);
        char name[256];
        EXPECT_EQ(openpty(&master, &slave, name, &raw, nullptr), 0);
        fcntl(master, F_SETFL, O_NONBLOCK);
        path = name;
    }
    ~Pty() {
        if (master >= 0) close(master);
        if (slave >= 0) close(slave);
    }
    void CloseSlave() {
        close(slave);
        slave = -1;
    }
    std::string ReadMaster(size_t want, int patienceMs = 2000) {
        std::string got;
        char buf[256];
        for (int i = 0; i < patienceMs && got.size() < want; ++i) {
            const ssize_t n = read(master, buf, sizeof buf);
            if (n > 0) got.append(buf, static_cast<size_t>(n));
            if (got.size() < want) usleep(1000);
        }
        return got;
    }
    int master = -1;
    int slave = -1;
    std::string path;
};

class SerialTest : public ::testing::Test {
  protected:
    void Enumerate(const std::string& com1, const std::string& com2 = "") {
        KRegistry settings;
        ApplyDefaultSettings(settings);
        settings.ApplyLine(KTestText("SerialPort\\Devices\\1:String=" + com1));
        if (!com2.empty()) settings.ApplyLine(KTestText("SerialPort\\Devices\\2:String=" + com2));
        KSerialPorts::Program().Enumerate(settings, false);
    }
    static std::string ReadFor(KStream& channel, size_t want) {
        std::string got;
        for (int i = 0; i < 3000 && got.size() < want; ++i) {
            while (channel.Peek()) got += static_cast<char>(channel.GetChar());
            if (got.size() < want) usleep(1000);
        }
        return got;
    }
    void TearDown() override {
        KRegistry none;
        KSerialPorts::Program().Enumerate(none, true);
    }
};

TEST_F(SerialTest, OverridesNumberThePortsAndLabelThem) {
    Pty pty;
    Enumerate(pty.path, "/nonexistent/tty");
    ASSERT_NE(KSerialPorts::Program().Find(1), nullptr);
    EXPECT_EQ(KSerialPorts::Program().Find(2), nullptr);
    EXPECT_EQ(KUtf8Of(KSerialPorts::Program().Find(1)->label), "COM1 (Serial Port)");
    EXPECT_EQ(KSerialPorts::Program().Find(1)->device, pty.path);
    EXPECT_EQ(KSerialPorts::DefaultDevice(1), "/dev/ttyS0");
    EXPECT_EQ(KSerialPorts::DefaultDevice(33), "/dev/ttyUSB0");
    EXPECT_EQ(KSerialPorts::DefaultDevice(96), "/dev/ttyACM31");
    EXPECT_EQ(KSerialPorts::DefaultDevice(97), "");
    KRegistry settings;
    KSerialPorts::Program().Enumerate(settings, true);  // -noserialport
    EXPECT_TRUE(KSerialPorts::Program().Ports().empty());
}

TEST_F(SerialTest, ReadsAndWritesBothWays) {
    Pty pty;
    Enumerate(pty.path);
    KSerialPort port(KSerialPort::kRead | KSerialPort::kWrite, 2048, 2048);
    ASSERT_TRUE(port.OpenChannel(KTestText("1,19200,7,E,1.5")));
    EXPECT_EQ(port.PortNumber(), 1);
    EXPECT_TRUE(port.IsOpen());
    const std::string text(300, 'z');  // more than one 128-byte chunk
    ASSERT_EQ(write(pty.master, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    EXPECT_EQ(ReadFor(port, text.size()), text);
    port.WriteText(KString(u"to the timer"));
    EXPECT_EQ(pty.ReadMaster(1, 50), "");  // buffered until flushed
    port.Flush();
    EXPECT_EQ(pty.ReadMaster(12), "to the timer");
    KSerialPort none(KSerialPort::kRead, 2048, 0);
    EXPECT_FALSE(none.OpenChannel(KTestText("5,9600,8,N,1.0")));
    EXPECT_FALSE(none.IsOpen());
    EXPECT_THROW(none.WriteText(KString(u"x")), KXStream);
}

TEST_F(SerialTest, TwoReadersCannotShareAPort) {
    Pty pty;
    Enumerate(pty.path);
    KSerialPort first(KSerialPort::kRead, 2048, 0);
    KSerialPort second(KSerialPort::kRead, 2048, 0);
    KSerialPort writer(KSerialPort::kWrite, 2048, 0);
    ASSERT_TRUE(first.OpenChannel(KTestText("1,9600,8,N,1.0")));
    EXPECT_FALSE(second.OpenChannel(KTestText("1,9600,8,N,1.0")));
    EXPECT_TRUE(writer.OpenChannel(KTestText("1,9600,8,N,1.0")));
    writer.WriteText(KString(u"shared"));
    EXPECT_EQ(pty.ReadMaster(6), "shared");
    first.Close();
    EXPECT_TRUE(second.OpenChannel(KTestText("1,9600,8,N,1.0")));
}

TEST_F(SerialTest, RefreshRepeatsTheLastOutput) {
    Pty pty;
    Enumerate(pty.path);
    KSerialPort port(KSerialPort::kRead | KSerialPort::kWrite, 2048, 2048);
    ASSERT_TRUE(port.OpenChannel(KTestText("1,9600,8,N,1.0,10")));
    port.WriteText(KString(u"AB"));
    port.Flush();
    EXPECT_EQ(pty.ReadMaster(8), "ABABABAB");
    port.Close();
}

TEST_F(SerialTest, AnUnpluggedDeviceComesBack) {
    KTestFolder folder;
    const std::string link = folder.Path("ttyTIMER");
    auto* pty = new Pty;
    ASSERT_EQ(symlink(pty->path.c_str(), link.c_str()), 0);
    Enumerate(link);
    KSerialPort port(KSerialPort::kRead, 2048, 0);
    ASSERT_TRUE(port.OpenChannel(KTestText("1,9600,8,N,1.0")));
    ASSERT_EQ(write(pty->master, "before", 6), 6);
    EXPECT_EQ(ReadFor(port, 6), "before");
    pty->CloseSlave();
    delete pty;  // the adapter is pulled out
    EXPECT_FALSE(port.Peek());
    EXPECT_FALSE(port.IsOpen());
    Pty back;  // plugged in again, under the same name
    unlink(link.c_str());
    ASSERT_EQ(symlink(back.path.c_str(), link.c_str()), 0);
    // The port opens the device again by itself.
    const uint64_t start = KTickCount();
    while (!port.IsOpen() && KTickCount() - start < 10000) usleep(10000);
    ASSERT_TRUE(port.IsOpen());
    ASSERT_EQ(write(back.master, "after", 5), 5);
    EXPECT_EQ(ReadFor(port, 5), "after");
}

}  // namespace

#include "KSerialSpeed.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "KRegistry.h"
#include "KSerialPort.h"
#include "KTestSupport.h"
#include "TDefaultSettings.h"

namespace {

// The rates of the port editor that are no standard termios rate reach the
// line exactly, instead of a neighbour that would garble every byte.
TEST(KSerialSpeed, PortsRunAtTheRateTheirPortSpecAsks) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master), 0);
    ASSERT_EQ(unlockpt(master), 0);
    const std::string device = ptsname(master);
    const int slave = open(device.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(slave, 0);
    KRegistry settings;
    ApplyDefaultSettings(settings);
    settings.ApplyLine(KTestText("SerialPort\\Devices\\1:String=" + device));
    KSerialPorts::Program().Enumerate(settings, false);
    for (int32_t baud : {14400, 12800, 56000, 9600, 115200, 31250}) {
        KSerialPort port(KSerialPort::kRead, 2048, 0);
        ASSERT_TRUE(port.OpenChannel(KTestText("1," + std::to_string(baud) + ",8,N,1.0")));
        EXPECT_EQ(KExactSpeed(slave), baud);
    }
    KRegistry none;
    KSerialPorts::Program().Enumerate(none, true);
    close(slave);
    close(master);
}

}  // namespace

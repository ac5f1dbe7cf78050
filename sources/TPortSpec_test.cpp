#include "TPortSpec.h"

#include <gtest/gtest.h>

#include "KRegistry.h"
#include "KTestSupport.h"
#include "KUtf8.h"
#include "TDefaultSettings.h"

namespace {

std::string Canonical(const char* text) {
    KString out;
    TPortSpec::Parse(KTestText(text)).Write(out);
    return KUtf8Of(out);
}

TEST(TPortSpec, SerialColumnsAndDefaults) {
    TPortSpec s = TPortSpec::Parse(KTestText("1,19200,7,e,1.5"));
    EXPECT_EQ(s.kind, TPortSpec::kSerial);
    EXPECT_EQ(s.baud, 19200);
    EXPECT_EQ(s.dataBits, 7);
    EXPECT_EQ(s.parity, u'E');
    EXPECT_EQ(s.stopTenths, 15);
    EXPECT_EQ(Canonical("1,19200,7,e,1.5"), "1,19200,7,E,1.5");
    EXPECT_EQ(Canonical("1,x"), "1,9600,8,N,1.0");
    EXPECT_EQ(Canonical("2,9600,9,N,1.0"), "2,9600,8,N,1.0");
    EXPECT_EQ(Canonical("0x3,0x4B0,6, odd ,2,250"), "3,1200,6,O,2.0,250");
    EXPECT_EQ(Canonical("4,9600,8,Q,3"), "4,9600,8,N,1.0");
}

TEST(TPortSpec, NetworkKindsAndNone) {
    EXPECT_EQ(Canonical("0,9600,8,N,1.0"), "0");
    EXPECT_EQ(Canonical("nonsense"), "0");
    EXPECT_EQ(Canonical("-7,1.2.3.4,5"), "0");
    EXPECT_EQ(Canonical("-1,192.168.1.20,2000"), "-1,192.168.1.20,2000");
    EXPECT_EQ(Canonical("-2,10.0.0.1,2099"), "-2,0.0.0.0,2099");
    TPortSpec udp = TPortSpec::Parse(KTestText("-3,,5000"));
    EXPECT_EQ(udp.kind, TPortSpec::kUdp);
    EXPECT_TRUE(udp.hasAddress);
    EXPECT_EQ(udp.address, 0u);
    EXPECT_EQ(udp.ipPort, 5000);
    EXPECT_FALSE(TPortSpec::Parse(KTestText("-1,1.2.3.4")).hasIpPort);
    EXPECT_FALSE(TPortSpec::Parse(KTestText("-1,1.2.3.4,70000")).hasIpPort);
    EXPECT_FALSE(TPortSpec::Parse(KTestText("-1,1.2.3,80")).hasAddress);
    EXPECT_FALSE(TPortSpec::Parse(KTestText("-1,1.2.3.400,80")).hasAddress);
}

}  // namespace

#include "TChannelMenus.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "KRegistry.h"
#include "KSerialPort.h"
#include "KSocket.h"
#include "KTestSupport.h"
#include "TDefaultSettings.h"

namespace {

// The buffer size lies in 2048 bytes .. 1 MiB whatever the setting says, as
// every source's channels hold buffers of that size.
TEST(TChannelMenus, BufferSizeIsBounded) {
    KRegistry settings;
    ApplyDefaultSettings(settings);
    for (const auto& [line, size] : std::vector<std::pair<const char*, int32_t>>{
             {"Sources\\BufferSize:Int=-5", 2048},
             {"Sources\\BufferSize:Int=65536", 65536},
             {"Sources\\BufferSize:Int=1048577", 1 << 20},
             {"Sources\\BufferSize:Int=2147483647", 1 << 20}}) {
        settings.ApplyLine(KTestText(line));
        EXPECT_EQ(ChannelBufferSize(settings), size) << line;
        KStreamMenu menu;
        BuildSourceChannels(menu, settings);
        auto channel = SelectPortChannel(menu, KTestText("-3,,5000"), nullptr);
        auto* udp = dynamic_cast<KUDPSocket*>(channel.get());
        ASSERT_NE(udp, nullptr);
        EXPECT_EQ(udp->ReceiveSize(), size) << line;
        EXPECT_EQ(udp->SendSize(), size) << line;
    }
}

TEST(TChannelMenus, ChoiceByPortNumberKeepsAChannelThatServesIt) {
    KRegistry settings;
    ApplyDefaultSettings(settings);
    settings.ApplyLine(KTestText("Sources\\BufferSize:Int=100"));
    EXPECT_EQ(ChannelBufferSize(settings), 2048);
    KStreamMenu menu;
    BuildSourceChannels(menu, settings);
    ASSERT_EQ(menu.Count(), 3);
    auto channel = SelectPortChannel(menu, KTestText("1,9600,8,N,1.0"), nullptr);
    KStream* serial = channel.get();
    EXPECT_NE(dynamic_cast<KSerialPort*>(serial), nullptr);
    channel = SelectPortChannel(menu, KTestText("2,9600,8,N,1.0"), std::move(channel));
    EXPECT_EQ(channel.get(), serial);  // another COM port: the same channel, re-attached
    channel = SelectPortChannel(menu, KTestText("-1,127.0.0.1,2000"), std::move(channel));
    EXPECT_NE(dynamic_cast<KTCPSocket*>(channel.get()), nullptr);
    channel = SelectPortChannel(menu, KTestText("-3,,5000"), std::move(channel));
    EXPECT_NE(dynamic_cast<KUDPSocket*>(channel.get()), nullptr);
    channel = SelectPortChannel(menu, KTestText("0,9600,8,N,1.0"), std::move(channel));
    EXPECT_FALSE(channel->IsOpen());
    EXPECT_EQ(channel->OpenChannel(KTestText("0")), 0);
    // The port number is read by the one port-spec parser: 0x1 is COM1
    // and 010 is COM8 for the channel choice as for the channel itself.
    channel = SelectPortChannel(menu, KTestText("0x1,9600,8,N,1.0"), nullptr);
    EXPECT_NE(dynamic_cast<KSerialPort*>(channel.get()), nullptr);
    // Every channel reads single bytes with no line-end translation.
    EXPECT_EQ(SelectPortChannel(menu, KTestText("-2,0.0.0.0,1"), nullptr)->ReadEncoding(),
              KStream::kSingleByte);
}

}  // namespace

#include "TChannelMenus.h"

#include <gtest/gtest.h>

#include "KRegistry.h"
#include "KSerialPort.h"
#include "KSocket.h"
#include "KTestSupport.h"
#include "TDefaultSettings.h"

namespace {

TEST(TChannelMenus, ChoiceByPortNumberKeepsAChannelThatServesIt) {
    KRegistry settings;
    ApplyDefaultSettings(settings);
    settings.ApplyLine(KTestText("Sources\\BufferSize:Int=100"));
    EXPECT_EQ(ChannelBufferSize(settings), 2048);
    KStreamMenu menu;
    BuildSourceChannels(menu, settings);
    ASSERT_EQ(menu.Count(), 3);
    auto channel = menu.SelectChannel(KTestText("1,9600,8,N,1.0"), nullptr);
    KStream* serial = channel.get();
    EXPECT_NE(dynamic_cast<KSerialPort*>(serial), nullptr);
    channel = menu.SelectChannel(KTestText("2,9600,8,N,1.0"), std::move(channel));
    EXPECT_EQ(channel.get(), serial);  // another COM port: the same channel, re-attached
    channel = menu.SelectChannel(KTestText("-1,127.0.0.1,2000"), std::move(channel));
    EXPECT_NE(dynamic_cast<KTCPSocket*>(channel.get()), nullptr);
    channel = menu.SelectChannel(KTestText("-3,,5000"), std::move(channel));
    EXPECT_NE(dynamic_cast<KUDPSocket*>(channel.get()), nullptr);
    channel = menu.SelectChannel(KTestText("0,9600,8,N,1.0"), std::move(channel));
    EXPECT_FALSE(channel->IsOpen());
    EXPECT_EQ(channel->OpenChannel(KTestText("0")), 0);
    // Every channel reads single bytes with no line-end translation.
    EXPECT_EQ(menu.SelectChannel(KTestText("-2,0.0.0.0,1"), nullptr)->ReadEncoding(),
              KStream::kSingleByte);
}

}  // namespace

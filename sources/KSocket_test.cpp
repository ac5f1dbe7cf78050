#include "KSocket.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "KTestSupport.h"
#include "KX.h"

namespace {

KString Spec(const std::string& text) {
    return KTestText(text);
}

// Everything the channel has now, as a poll would take it.
std::string Drain(KStream& channel) {
    std::string got;
    while (channel.Peek()) got += static_cast<char>(channel.GetChar());
    return got;
}

// Polls until the channel delivers want bytes (or gives up after a while).
std::string ReadFor(KStream& channel, size_t want) {
    std::string got;
    for (int i = 0; i < 20000 && got.size() < want; ++i) {
        channel.IsOpen();
        got += Drain(channel);
        if (got.size() < want) usleep(100);
    }
    return got;
}

bool OpenSoon(KStream& a, KStream& b) {
    for (int i = 0; i < 20000; ++i) {
        const bool first = a.IsOpen();
        if (b.IsOpen() && first) return true;
        usleep(100);
    }
    return false;
}

int RawConnect(uint16_t port) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    EXPECT_EQ(connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to), 0);
    return fd;
}

TEST(KTCPSocket, ConnectAndListenTalkBothWays) {
    KTCPSocket server(2048, true);
    ASSERT_TRUE(server.OpenChannel(Spec("-2,0.0.0.0,0")));
    const uint16_t port = server.ListeningPort();
    ASSERT_NE(port, 0);
    KTCPSocket client(2048, true);
    ASSERT_TRUE(client.OpenChannel(Spec("-1,127.0.0.1," + std::to_string(port))));
    ASSERT_TRUE(OpenSoon(server, client));
    client.WriteText(KString(u"from client"));
    server.WriteText(KString(u"from server"));
    EXPECT_EQ(ReadFor(server, 11), "from client");
    EXPECT_EQ(ReadFor(client, 11), "from server");
    EXPECT_FALSE(client.Peek());  // nothing more: a poll ends at once
}

TEST(KTCPSocket, ConnectorComesBackAfterThePeerCloses) {
    KTCPSocket server(2048, true);
    ASSERT_TRUE(server.OpenChannel(Spec("-2,127.0.0.1,0")));
    const std::string spec = "-1,127.0.0.1," + std::to_string(server.ListeningPort());
    KTCPSocket client(2048, true);
    ASSERT_TRUE(client.OpenChannel(Spec(spec)));
    for (int round = 0; round < 100; ++round) {
        ASSERT_TRUE(OpenSoon(server, client)) << round;
        const std::string text = "round " + std::to_string(round) + ";";
        client.WriteText(KTestText(text));
        ASSERT_EQ(ReadFor(server, text.size()), text);
        server.CloseSocket();  // the peer drops; the listener stays
        server.OpenChannel(Spec("-2,127.0.0.1," + spec.substr(spec.rfind(',') + 1)));
    }
}

TEST(KTCPSocket, NewestClientReplacesTheOld) {
    KTCPSocket server(2048, false);
    ASSERT_TRUE(server.OpenChannel(Spec("-2,0.0.0.0,0")));
    const int first = RawConnect(server.ListeningPort());
    ASSERT_TRUE(OpenSoon(server, server));
    const int second = RawConnect(server.ListeningPort());
    ASSERT_EQ(write(first, "old", 3), 3);
    ASSERT_EQ(write(second, "new", 3), 3);
    std::string got;
    for (int i = 0; i < 20000 && got.find("new") == std::string::npos; ++i) {
        server.IsOpen();
        got += Drain(server);
        usleep(100);
    }
    EXPECT_EQ(got.substr(got.size() - 3), "new");
    // The old client was let go.
    char byte;
    EXPECT_LE(read(first, &byte, 1), 0);
    close(first);
    close(second);
}

// A loop sleeps on the descriptors until input comes: a listener with its
// client still wakes for a newer client; a connection being made has no
// readable descriptor, so it asks to be polled on every millisecond.
TEST(KTCPSocket, ALoopSleepsOnItsDescriptorsOrPollsWhatItCannotWaitFor) {
    const auto readable = [](const KStream& channel) {
        std::vector<int> fds;
        channel.WaitDescriptors(fds);
        std::vector<pollfd> wait;
        for (int fd : fds) wait.push_back({fd, POLLIN, 0});
        return poll(wait.data(), wait.size(), 2000) >= 1;
    };
    KTCPSocket server(2048, true);
    ASSERT_TRUE(server.OpenChannel(Spec("-2,127.0.0.1,0")));
    const uint16_t port = server.ListeningPort();
    const int first = RawConnect(port);
    ASSERT_TRUE(OpenSoon(server, server));
    EXPECT_EQ(server.PollDueIn(), KClock::kNever);
    const int second = RawConnect(port);
    EXPECT_TRUE(readable(server));

    KTCPSocket refused(2048, true);
    {
        KTCPSocket gone(2048, true);
        ASSERT_TRUE(gone.OpenChannel(Spec("-2,127.0.0.1,0")));
        refused.OpenChannel(Spec("-1,127.0.0.1," + std::to_string(gone.ListeningPort())));
    }
    refused.IsOpen();
    EXPECT_EQ(refused.PollDueIn(), 1);
    KTCPSocket client(2048, true);
    ASSERT_TRUE(client.OpenChannel(Spec("-1,127.0.0.1," + std::to_string(port))));
    ASSERT_TRUE(OpenSoon(client, client));
    EXPECT_EQ(client.PollDueIn(), KClock::kNever);
    close(first);
    close(second);
}

TEST(KTCPSocket, BytesSentBeforeThePeerClosesAreRead) {
    KTCPSocket server(16, true);  // a small buffer: most bytes wait in the socket
    ASSERT_TRUE(server.OpenChannel(Spec("-2,127.0.0.1,0")));
    const int raw = RawConnect(server.ListeningPort());
    const std::string words(200, 'w');
    ASSERT_EQ(write(raw, words.data(), words.size()), static_cast<ssize_t>(words.size()));
    close(raw);
    EXPECT_EQ(ReadFor(server, words.size()), words);
}

TEST(KTCPSocket, FailuresAndPartialValues) {
    KTCPSocket none(2048, true);
    EXPECT_FALSE(none.OpenChannel(Spec("-1,127.0.0.1")));  // no port
    EXPECT_FALSE(none.OpenChannel(Spec("-2,0.0.0.0")));
    EXPECT_FALSE(none.IsOpen());
    EXPECT_THROW(none.WriteText(KString(u"x")), KXStream);
    KTCPSocket server(2048, true);
    ASSERT_TRUE(server.OpenChannel(Spec("-2,0.0.0.0,0")));
    const int raw = RawConnect(server.ListeningPort());
    ASSERT_TRUE(OpenSoon(server, server));
    // Half a 16-bit value stays until the rest arrives.
    ASSERT_EQ(write(raw, "\x34", 1), 1);
    bool arrived = false;
    for (int i = 0; i < 20000 && !arrived; ++i) {
        arrived = server.HasInput();
        if (!arrived) usleep(100);
    }
    ASSERT_TRUE(arrived);
    EXPECT_THROW(server.GetUInt16(), KXStream);
    ASSERT_EQ(write(raw, "\x12", 1), 1);
    uint16_t value = 0;
    for (int i = 0; i < 20000; ++i) {
        try {
            value = server.GetUInt16();
            break;
        } catch (const KXStream&) {
            usleep(100);
        }
    }
    EXPECT_EQ(value, 0x1234);
    close(raw);
}

TEST(KUDPSocket, DatagramsBothWaysAndPortZero) {
    KUDPSocket none(2048, 2048);
    EXPECT_FALSE(none.OpenChannel(Spec("-3,127.0.0.1,0")));
    EXPECT_FALSE(KUDPSocket(2048, 0).Accepts(-3));
    KUDPSocket receiver(2048, 2048);
    const std::string spec = "-3,127.0.0.1," + std::to_string(KFreePort(SOCK_DGRAM));
    ASSERT_TRUE(receiver.OpenChannel(Spec(spec)));
    KUDPSocket sender(0, 2048);
    ASSERT_TRUE(sender.OpenChannel(Spec(spec)));
    std::string big(1500, 'u');
    sender.WriteText(KTestText(big));
    sender.Flush();  // three datagrams of at most 536 bytes
    EXPECT_EQ(ReadFor(receiver, big.size()), big);
    EXPECT_THROW(sender.WriteText(KTestText(std::string(3000, 'x'))),
                 KXStream);  // beyond the send buffer
    sender.DiscardOutput();
}

TEST(KUDPSocket, BroadcastWhenNoAddressIsGiven) {
    KUDPSocket receiver(2048, 2048);
    const std::string port = std::to_string(KFreePort(SOCK_DGRAM));
    ASSERT_TRUE(receiver.OpenChannel(Spec("-3,," + port)));
    KUDPSocket sender(0, 2048);
    ASSERT_TRUE(sender.OpenChannel(Spec("-3,0.0.0.0," + port)));
    sender.WriteText(KString(u"to all"));
    try {
        sender.Flush();
    } catch (const KXStream& e) {
        GTEST_SKIP() << "this network has no broadcast route (" << e.Code() << ")";
    }
    EXPECT_EQ(ReadFor(receiver, 6), "to all");
}

}  // namespace

#include "KRequestSocket.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <future>
#include <string>
#include <vector>

#include "KClock.h"
#include "KTestSupport.h"

namespace {

int64_t NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

const sockaddr_un& Address(const std::string& path) {
    static sockaddr_un address;
    address = {};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, path.c_str());
    return address;
}

class RequestSocket : public ::testing::Test {
  protected:
    // Serves until the client has its answer.
    KRequestReply Exchange(const std::string& request, const KRequestServer::Handler& handler) {
        auto reply = std::async(std::launch::async, [&] { return SendRequest(path, request); });
        while (reply.wait_for(std::chrono::milliseconds(1)) != std::future_status::ready)
            server.Poll(handler, NowMs());
        return reply.get();
    }

    KTestFolder folder;
    std::string path = folder.Path("tessaron.sock");
    KRequestServer server;
};

TEST_F(RequestSocket, RequestsAreAnsweredAckOrBusy) {
    ASSERT_TRUE(server.Open(path));
    struct stat info;
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    std::vector<std::string> taken;
    const auto takeOne = [&](const std::string& request) {
        if (!taken.empty()) return false;  // one waits already
        taken.push_back(request);
        return true;
    };
    EXPECT_EQ(Exchange("OpenLayout,\"/tmp/a b.tly\"", takeOne), KRequestReply::kAck);
    EXPECT_EQ(Exchange("OpenLayout,\"/tmp/c.tly\"", takeOne), KRequestReply::kBusy);
    EXPECT_EQ(taken, std::vector<std::string>{"OpenLayout,\"/tmp/a b.tly\""});
}

// A request is taken whole up to its limit; a longer one is answered ERROR
// and handed to no one, so no cut path is ever opened.
TEST_F(RequestSocket, LongRequestsAreTakenWholeAndLongerOnesRefused) {
    ASSERT_TRUE(server.Open(path));
    std::vector<std::string> taken;
    const auto take = [&](const std::string& request) {
        taken.push_back(request);
        return true;
    };
    const std::string longest =
        "OpenLayout,\"/" + std::string(KRequestServer::kMaxRequest - 14, 'x') + "\"";
    ASSERT_EQ(longest.size(), KRequestServer::kMaxRequest);
    EXPECT_EQ(Exchange(longest, take), KRequestReply::kAck);
    EXPECT_EQ(Exchange(longest + "x", take), KRequestReply::kError);
    EXPECT_EQ(Exchange(std::string(1 << 20, 'x'), take), KRequestReply::kError);
    EXPECT_EQ(taken, std::vector<std::string>{longest});
}

TEST_F(RequestSocket, ASilentClientIsDroppedWithoutHoldingOthers) {
    ASSERT_TRUE(server.Open(path));
    const int silent = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_EQ(
        connect(silent, reinterpret_cast<const sockaddr*>(&Address(path)), sizeof(sockaddr_un)), 0);
    const auto accept = [](const std::string&) { return true; };
    server.Poll(accept, NowMs());
    EXPECT_EQ(Exchange("OpenLayout,x", accept), KRequestReply::kAck);
    // Past its time the silent one is closed: its read sees the end.
    server.Poll(accept, NowMs() + KRequestServer::kClientTimeoutMs + 1);
    char c;
    EXPECT_EQ(recv(silent, &c, 1, MSG_DONTWAIT), 0);
    close(silent);
}

// A loop that sleeps until input wakes for a client's bytes as well as for
// a new client, and for the moment a silent client runs out of time.
TEST_F(RequestSocket, ALoopSleepsUntilAClientWritesOrRunsOutOfTime) {
    std::vector<int> fds;
    server.WaitDescriptors(fds);
    EXPECT_TRUE(fds.empty());
    ASSERT_TRUE(server.Open(path));
    EXPECT_EQ(server.PollDueIn(0), KClock::kNever);
    const int client = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_EQ(
        connect(client, reinterpret_cast<const sockaddr*>(&Address(path)), sizeof(sockaddr_un)), 0);
    const auto take = [](const std::string&) { return true; };
    server.Poll(take, 1000);
    EXPECT_EQ(server.PollDueIn(1500), KRequestServer::kClientTimeoutMs + 1 - 500);
    EXPECT_EQ(server.PollDueIn(5000), 0);
    server.WaitDescriptors(fds);
    std::vector<pollfd> wait;
    for (int fd : fds) wait.push_back({fd, POLLIN, 0});
    ASSERT_EQ(write(client, "O", 1), 1);
    EXPECT_EQ(poll(wait.data(), wait.size(), 2000), 1);
    close(client);
}

// A request arrives in pieces of any size, a character's bytes split
// between them too: it is taken whole only when the client is done.
TEST_F(RequestSocket, ARequestInPiecesIsTakenWhole) {
    ASSERT_TRUE(server.Open(path));
    const std::string request =
        "OpenLayout,\"/tmp/B\xc3\xa4"
        "der.tly\"";
    const int client = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_EQ(
        connect(client, reinterpret_cast<const sockaddr*>(&Address(path)), sizeof(sockaddr_un)), 0);
    std::vector<std::string> taken;
    const auto take = [&](const std::string& r) {
        taken.push_back(r);
        return true;
    };
    for (char c : request) {
        ASSERT_EQ(write(client, &c, 1), 1);
        server.Poll(take, NowMs());
        EXPECT_TRUE(taken.empty());
    }
    shutdown(client, SHUT_WR);
    std::string answer;
    char buffer[16];
    for (int i = 0; i < 1000 && answer.find('\n') == std::string::npos; ++i) {
        server.Poll(take, NowMs());
        const ssize_t n = recv(client, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n > 0) answer.append(buffer, static_cast<size_t>(n));
        usleep(1000);
    }
    close(client);
    EXPECT_EQ(answer, "ACK\n");
    EXPECT_EQ(taken, std::vector<std::string>{request});
}

TEST_F(RequestSocket, OneServerPerSocketAndStaleSocketsAreReplaced) {
    EXPECT_EQ(SendRequest(path, "x"), KRequestReply::kNoServer);
    ASSERT_TRUE(server.Open(path));
    KRequestServer second;
    EXPECT_FALSE(second.Open(path));  // the first one answers there
    // A socket file nobody serves, as a copy that crashed leaves it.
    const std::string stale = folder.Path("stale.sock");
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_EQ(bind(fd, reinterpret_cast<const sockaddr*>(&Address(stale)), sizeof(sockaddr_un)), 0);
    close(fd);
    KRequestServer replacement;
    EXPECT_TRUE(replacement.Open(stale));
}

}  // namespace

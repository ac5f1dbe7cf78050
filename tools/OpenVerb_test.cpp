#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <string>

#include "CliTestSupport.h"
#include "KRequestSocket.h"
#include "KTestSupport.h"

namespace {

TEST(OpenVerb, SendsTheAbsolutePathAndSaysWhatTheProgramAnswered) {
    KTestFolder folder;
    setenv("XDG_RUNTIME_DIR", folder.Path().c_str(), 1);
    EXPECT_EQ(Cli({"open", "x.tly"}).status, 1);  // no copy runs

    KRequestServer server;
    ASSERT_TRUE(server.Open(RequestSocketPath()));
    std::string received;
    bool busy = false;
    const auto handler = [&](const std::string& request) {
        received = request;
        return !busy;
    };
    for (bool answerBusy : {false, true}) {
        busy = answerBusy;
        auto run = std::async(std::launch::async, [&] { return Cli({"open", "my layout.tly"}); });
        while (run.wait_for(std::chrono::milliseconds(1)) != std::future_status::ready)
            server.Poll(handler, 0);
        const Result r = run.get();
        EXPECT_EQ(r.status, answerBusy ? 2 : 0) << r.err;
        EXPECT_EQ(r.out, answerBusy ? "BUSY\n" : "ACK\n");
    }
    EXPECT_EQ(received,
              "OpenLayout,\"" + std::filesystem::current_path().string() + "/my layout.tly\"");

    // A request longer than the program takes is refused, and says so.
    received.clear();
    const std::string tooLong = "/" + std::string(KRequestServer::kMaxRequest, 'x') + ".tly";
    auto run = std::async(std::launch::async, [&] { return Cli({"open", tooLong}); });
    while (run.wait_for(std::chrono::milliseconds(1)) != std::future_status::ready)
        server.Poll(handler, 0);
    const Result r = run.get();
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "ERROR\n");
    EXPECT_NE(r.err.find("refused the request (longer than 64 KiB)"), std::string::npos) << r.err;
    EXPECT_EQ(received, "");
}

}  // namespace

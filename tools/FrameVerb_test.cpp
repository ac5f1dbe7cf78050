#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "CliTestSupport.h"
#include "KTestSupport.h"

namespace {

class FrameVerb : public ::testing::Test {
  protected:
    void SetUp() override {
        Write("results.rss",
              ";;Results\nheader=\\02,length=1\ntrailer=\\03,length=1\n"
              "textfield=A,length=3\ntextfield=B,stop=\\0d\n");
    }
    std::string Write(const std::string& name, const std::string& bytes) {
        return folder.Put(name, bytes);
    }
    KTestFolder folder;
    const std::string& dir = folder.Path();
};

TEST_F(FrameVerb, PacketsTraceAndRemoteLinesAsJson) {
    const std::string input = Write("in.bin",
                                    "Command=LayoutDraw\n\x02"
                                    "abcx\"y\\z\r\x03");
    Result r = Cli({"frame", "--trace", "--source", "Timer", dir + "/results.rss", input});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out,
              "{\"remote\":\"Command=LayoutDraw\"}\n"
              "{\"trace\":\"{Timer Results HDR}\"}\n"
              "{\"packet\":\"Results\",\"index\":0,\"fields\":[{\"name\":\"A\",\"value\":\"abc\","
              "\"extracted\":true},"
              "{\"name\":\"B\",\"value\":\"x\\\"y\\\\z\",\"extracted\":true}]}\n"
              "{\"trace\":\"{Timer Results BDY TRL}\"}\n");
}

TEST_F(FrameVerb, StandardInputStatsAndQuiet) {
    const std::string input = Write("in.bin",
                                    "\x02"
                                    "abc1\r\x03\x02"
                                    "ab\x03"
                                    "x\n");
    Result r = Cli({"frame", "--quiet", "--stats", dir + "/results.rss"}, input);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("{\"stats\":{\"chars\":13,\"packets\":1,\"remote\":1,\"seconds\":"),
              std::string::npos)
        << r.err;
}

TEST_F(FrameVerb, CodeSetsAndEscapedCharacters) {
    Write("u.rss", ";;U\nheader=\\02,length=1\ntrailer=\\03,length=1\ntextfield=N,stop=\\05\n");
    const std::string utf16 =
        Write("u16.bin", std::string("\x02\0\x01\0\x3D\xD8\x00\xDE\x00\xD8\x05\0\x03\0", 14));
    Result r = Cli({"frame", "--charmode", "1", dir + "/u.rss", utf16});
    EXPECT_EQ(r.out,
              "{\"packet\":\"U\",\"index\":0,\"fields\":[{\"name\":\"N\",\"value\":"
              "\"\\u0001\xF0\x9F\x98\x80\\ud800\","
              "\"extracted\":true}]}\n");
    const std::string utf8 = Write("u8.bin", "\x02\xC3\xA9\xFF\x05\x03");
    r = Cli({"frame", "--charmode", "2", dir + "/u.rss", utf8});
    EXPECT_NE(r.out.find("\"value\":\"\xC3\xA9\xEF\xBF\xBD\""), std::string::npos) << r.out;
}

TEST_F(FrameVerb, BufferOptionAndErrors) {
    const std::string input = Write("in.bin",
                                    "\x02"
                                    "abcdefghij\r\x03");
    EXPECT_EQ(Cli({"frame", "--buffer", "8", dir + "/results.rss", input}).out, "");
    EXPECT_EQ(Cli({"frame", dir + "/missing.rss", input}).status, 1);
    EXPECT_EQ(Cli({"frame", dir + "/results.rss", dir + "/missing.bin"}).status, 1);
    EXPECT_EQ(Cli({"frame", "--charmode", "3", dir + "/results.rss"}).status, 2);
    EXPECT_EQ(Cli({"frame"}).status, 2);
}

}  // namespace

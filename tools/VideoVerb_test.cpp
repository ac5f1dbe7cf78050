#include <gtest/gtest.h>

#include <string>

#include "CliTestSupport.h"
#include "ImagesTestSupport.h"
#include "KTestSupport.h"

namespace {

std::string Cmd(const std::string& name, const std::string& value = "") {
    return "\x12" + name + (value.empty() ? "" : "=" + value) + "\x14";
}

class VideoVerb : public ::testing::Test {
  protected:
    void SetUp() override { setenv("XDG_CONFIG_HOME", folder.Path("config").c_str(), 1); }
    Result Video(std::vector<std::string> args, const std::string& stream) {
        const std::string input = folder.Put("stream", stream);
        args.insert(args.begin(), {"video", "--home", folder.Path(), "--out", Png()});
        return Cli(args, input);
    }
    std::string Png() const { return folder.Path("out.png"); }
    KTestFolder folder;
};

TEST_F(VideoVerb, DrawsTheStreamAndReportsTheState) {
    Result r =
        Video({"--size", "320x64"}, Cmd("LayoutSetup", "20,2") + Cmd("LayoutBackColor", "Blue") +
                                        Cmd("TextDraw", "12:05") + Cmd("LayoutFlush") +
                                        Cmd("LayoutBackColor", "Red"));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "{\"flush\":true,\"columns\":20,\"rows\":2,\"cursor\":[5,0]}\n");
    const TestPicture png = ReadPng(Png());
    ASSERT_EQ(png.width, 320);
    ASSERT_EQ(png.height, 64);
    EXPECT_EQ(png.pixels[0], 0x0000FFu);
    EXPECT_EQ(png.pixels[79], 0x0000FFu);
    EXPECT_EQ(png.pixels[80], 0u);
}

TEST_F(VideoVerb, SplitLinesAreValues) {
    // The line end is part of the one value, not of a split line; a command
    // split over two lines still runs.
    const std::string stream =
        Cmd("LayoutSetup", "20") + "\x12TextDraw=ab\r\n\x14" + Cmd("LayoutFlush") + "\n";
    Result whole = Video({"--size", "320x32"}, stream);
    EXPECT_EQ(whole.status, 0) << whole.err;
    EXPECT_EQ(whole.out, "{\"flush\":true,\"columns\":20,\"rows\":1,\"cursor\":[4,0]}\n");
    Result split = Video({"--size", "320x32", "--split"}, stream);
    EXPECT_EQ(split.out, "{\"flush\":true,\"columns\":20,\"rows\":1,\"cursor\":[2,0]}\n");
}

TEST_F(VideoVerb, TheTurnedPictureIsWrittenAsTheObjectShowsIt) {
    Result r =
        Video({"--size", "8x4", "--rotate", "1"},
              Cmd("LayoutSetup", "2,1") + Cmd("LayoutBackColor", "Red") + Cmd("ImageDraw", "x"));
    EXPECT_EQ(r.out, "{\"flush\":false,\"columns\":2,\"rows\":1,\"cursor\":[1,0]}\n");
    const TestPicture png = ReadPng(Png());
    ASSERT_EQ(png.width, 8);
    ASSERT_EQ(png.height, 4);
    EXPECT_EQ(png.pixels[0], 0u);  // the logical left half is the bottom half
    EXPECT_EQ(png.pixels[2 * 8], 0xFF0000u);
    EXPECT_EQ(png.pixels[4 * 8 - 1], 0xFF0000u);
}

TEST_F(VideoVerb, RefusedSizes) {
    Result big = Video({"--size", "16385x10"}, "");
    EXPECT_EQ(big.status, 1);
    EXPECT_EQ(big.out, "{\"error\":\"setup\"}\n");
}

}  // namespace

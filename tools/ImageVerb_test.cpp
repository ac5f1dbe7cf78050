#include <gtest/gtest.h>

#include <string>

#include "CliTestSupport.h"
#include "ImagesTestSupport.h"
#include "KTestSupport.h"

namespace {

class ImageVerb : public ::testing::Test {
  protected:
    void SetUp() override { setenv("XDG_CONFIG_HOME", folder.Path("config").c_str(), 1); }
    Result Image(std::vector<std::string> args) {
        args.insert(args.begin(), {"image", "--home", folder.Path()});
        return Cli(args);
    }
    std::string Put(const std::string& name, const std::string& bytes) {
        return folder.Put(name, bytes);
    }
    KTestFolder folder;
};

// A 3 × 1 Targa, bottom-up: red, green, blue.
std::string ThreeColours() {
    return TargaHeader(2, 3, 1, 24, 0) + std::string("\x00\x00\xFF\x00\xFF\x00\xFF\x00\x00", 9);
}

TEST_F(ImageVerb, DescribesAPictureAndWritesItsFrames) {
    const std::string path = Put("logo", ThreeColours());
    // The folder for the frames is made when it does not exist yet.
    Result r = Image({"--out", folder.Path("frames/logo"), path});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "{\"file\":\"" + path +
                         "\",\"frames\":1,\"width\":3,\"height\":1,\"loop\":-1,\"delays\":[-1]}\n");
    const TestPicture png = ReadPng(folder.Path("frames/logo/frame-000.png"));
    ASSERT_EQ(png.width, 3);
    EXPECT_EQ(png.pixels, (std::vector<uint32_t>{0xFF0000, 0x00FF00, 0x0000FF}));
}

TEST_F(ImageVerb, Scaling) {
    const std::string path = Put("logo.tga", ThreeColours());
    Result wide = Image({"--scale", "6x1", "--out", folder.Path(), path});
    EXPECT_EQ(wide.status, 0);
    EXPECT_NE(wide.out.find("\"width\":6,\"height\":1"), std::string::npos) << wide.out;
    EXPECT_EQ(ReadPng(folder.Path("frame-000.png")).pixels,
              (std::vector<uint32_t>{0xFF0000, 0xFF0000, 0x00FF00, 0x00FF00, 0x0000FF, 0x0000FF}));
    Result none = Image({"--scale", "0x1", path});
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(none.out, "{\"file\":\"" + path + "\",\"error\":\"scale\"}\n");
}

TEST_F(ImageVerb, AnimationsWithTheHomesBackground) {
    const std::vector<uint32_t> table = {0x000000, 0xFF0000, 0x00FF00, 0x2040C0};
    const std::string path = Put("anim.GIF", GifBuilder(2, 1, table, 3)
                                                 .Loop(65535)
                                                 .Control(2, 4)
                                                 .Image(0, 0, 1, 1, {1})
                                                 .Control(0, 0)
                                                 .Image(1, 0, 1, 1, {2})
                                                 .Control(0, 25)
                                                 .Image(1, 0, 1, 1, {1})
                                                 .Bytes());
    Result r = Image({"--out", folder.Path(), path});
    EXPECT_EQ(r.out,
              "{\"file\":\"" + path +
                  "\",\"frames\":2,\"width\":2,\"height\":1,\"loop\":0,\"delays\":[40,250]}\n");
    // Frame 1: image 1 disposed to black; with the setting, to the file's background.
    EXPECT_EQ(ReadPng(folder.Path("frame-001.png")).pixels,
              (std::vector<uint32_t>{0x000000, 0xFF0000}));
    ASSERT_EQ(Cli({"settings", "--home", folder.Path(), "set", "\\Display\\GIFUseBg", "1"}).status,
              0);
    Image({"--out", folder.Path(), path});
    EXPECT_EQ(ReadPng(folder.Path("frame-001.png")).pixels,
              (std::vector<uint32_t>{0x2040C0, 0xFF0000}));

    const std::string empty = Put("empty.gif", GifBuilder(7, 5, table).Bytes());
    EXPECT_EQ(Image({empty}).out, "{\"file\":\"" + empty +
                                      "\",\"frames\":0,\"width\":7,\"height\":5,\"loop\":-1,"
                                      "\"delays\":[]}\n");
}

TEST_F(ImageVerb, FailuresGiveTheirCode) {
    const std::string runLength = Put("rle.tga", TargaHeader(10, 3, 1, 24, 0));
    const std::string huge = Put("huge.gif", GifBuilder(65535, 65535, {0, 1}).Bytes());
    const std::string broken = Put("broken.jpg", "\xFF\xD8\xFF\xE0 not much more");
    const std::string cut = Put("cut.tga", ThreeColours().substr(0, 20));
    struct Case {
        std::string path;
        int32_t code;
    } cases[] = {{runLength, 3009},
                 {huge, 3010},
                 {broken, 3004},
                 {cut, 3004},
                 {folder.Path("missing.tga"), 3002}};
    for (const Case& c : cases) {
        Result r = Image({c.path});
        EXPECT_EQ(r.status, 1) << c.path;
        EXPECT_EQ(r.out,
                  "{\"file\":\"" + c.path + "\",\"error\":" + std::to_string(c.code) + "}\n");
    }
}

}  // namespace

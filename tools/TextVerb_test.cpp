#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "CliTestSupport.h"
#include "KTestSupport.h"

namespace {

using Json = nlohmann::json;

class TextVerbs : public ::testing::Test {
  protected:
    void SetUp() override { setenv("XDG_CONFIG_HOME", folder.Path("config").c_str(), 1); }
    // Puts a bitmap font shipped beside the programs into the home.
    void Ship(const std::string& name) {
        const char* bin = std::getenv("TESSARON_BIN");
        std::system(
            ("cp '" + std::string(bin ? bin : ".") + "/" + name + "' '" + home + "/'").c_str());
    }
    Result Run(std::vector<std::string> args) {
        args.insert(args.begin() + 1, {"--home", home});
        return Cli(args);
    }
    Result Text(std::vector<std::string> args) {
        args.insert(args.begin(), {"text", "--out", png});
        return Run(args);
    }
    // Width and height from the PNG header.
    std::pair<int, int> PngSize() {
        const std::string bytes = folder.Get("out.png");
        if (bytes.size() < 24 || bytes.compare(1, 3, "PNG") != 0) return {0, 0};
        auto be = [&bytes](size_t at) {
            return (static_cast<uint8_t>(bytes[at]) << 24) |
                   (static_cast<uint8_t>(bytes[at + 1]) << 16) |
                   (static_cast<uint8_t>(bytes[at + 2]) << 8) | static_cast<uint8_t>(bytes[at + 3]);
        };
        return {static_cast<int>(be(16)), static_cast<int>(be(20))};
    }

    KTestFolder folder;
    const std::string& home = folder.Path();
    const std::string png = folder.Path("out.png");
};

TEST_F(TextVerbs, TheInternalFontDrawsTheShippedSizes) {
    Ship("DejaVu Sans 34.fnt");
    Ship("DejaVu Sans 50.fnt");
    const Result r = Text({"--size", "34", "12:05.3"});
    ASSERT_EQ(r.status, 0) << r.err;
    const Json j = Json::parse(r.out);
    EXPECT_EQ(j["height"], 34);
    ASSERT_EQ(j["lines"].size(), 1u);
    EXPECT_EQ(j["lines"][0]["text"], "12:05.3");
    EXPECT_EQ(j["lines"][0]["width"], j["width"]);
    EXPECT_EQ(PngSize(), std::make_pair(j["width"].get<int>(), 34));

    const std::string listed = Run({"fonts"}).out;
    const Json fonts = Json::parse(listed.substr(0, listed.find('\n')));
    EXPECT_EQ(fonts, Json::parse(R"({"name":"","fixed":true,"sizes":[34,50],"default":50})"));
}

TEST_F(TextVerbs, LinesWrapAndTheLastSitsAtTheBottom) {
    Ship("DejaVu Sans 34.fnt");
    const int ab = Json::parse(Text({"AB"}).out)["width"];
    const Result r = Text({"--rect", std::to_string(ab + 2) + "x100", "--lines", "2", "AB BA"});
    ASSERT_EQ(r.status, 0) << r.err;
    const Json lines = Json::parse(r.out)["lines"];
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0]["text"], "AB");
    EXPECT_EQ(lines[1]["text"], "BA");
    EXPECT_EQ(lines[1]["top"], 66);
    EXPECT_EQ(PngSize(), std::make_pair(ab + 2, 100));
    const Json right = Json::parse(Text({"--rect", "200x40", "--justify", "2", "AB"}).out);
    EXPECT_EQ(right["lines"][0]["left"], 200 - ab);
    EXPECT_TRUE(Json::parse(Text({"--rect", "200x40", "--lines", "0", "AB"}).out)["lines"].empty());
}

TEST_F(TextVerbs, NoBitmapFontsDrawNothing) {
    const Result r = Text({"12:05.3"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "{\"width\":1,\"height\":1,\"lines\":[]}\n");
    const std::string listed = Run({"fonts"}).out;
    EXPECT_EQ(listed.substr(0, listed.find('\n')),
              "{\"name\":\"\",\"fixed\":true,\"sizes\":[],\"default\":0}");
}

TEST_F(TextVerbs, SystemFontsByName) {
    const Result r = Text({"--font", "DejaVu Sans", "--size", "100", "--border", "200,0,0",
                           "--shadow", "Blue", "--face", "yellow", "Äg"});
    ASSERT_EQ(r.status, 0) << r.err;
    const Json j = Json::parse(r.out);
    EXPECT_EQ(j["height"], 100);
    EXPECT_EQ(j["lines"][0]["text"], "Äg");
    const std::string listed = Run({"fonts"}).out;
    EXPECT_NE(
        listed.find("{\"name\":\"DejaVu Sans\",\"fixed\":false,\"sizes\":[],\"default\":50}\n"),
        std::string::npos);
    EXPECT_EQ(listed.find("\"Arial\""), std::string::npos);  // only through its fallback
}

TEST_F(TextVerbs, RefusedInput) {
    Result r = Text({"--font", "No Such Family", "x"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("No Such Family"), std::string::npos);
    EXPECT_EQ(Text({"--face", "Mauve", "x"}).status, 1);
    EXPECT_EQ(Text({"--bg", "1,2,256", "x"}).status, 1);
    EXPECT_EQ(Text({"--rect", "0x5", "x"}).status, 1);
}

TEST_F(TextVerbs, FntFilesFromASystemFont) {
    const Result made =
        Run({"fnt", "--font", "DejaVu Sans", "--size", "24", "--size", "12", "--out", home});
    ASSERT_EQ(made.status, 0) << made.err;
    EXPECT_EQ(made.out, home + "/DejaVu Sans 24.fnt\n" + home + "/DejaVu Sans 12.fnt\n");
    const std::string listed = Run({"fonts"}).out;
    EXPECT_EQ(listed.substr(0, listed.find('\n')),
              "{\"name\":\"\",\"fixed\":true,\"sizes\":[12,24],\"default\":24}");
    // The internal font draws the same widths as the system font it came from.
    const Json bitmap = Json::parse(Text({"--size", "24", "Fonts 1:23"}).out);
    const Json system =
        Json::parse(Text({"--font", "DejaVu Sans", "--size", "24", "Fonts 1:23"}).out);
    EXPECT_EQ(bitmap["width"], system["width"]);
    EXPECT_EQ(Run({"fnt", "--font", "Nothing", "--size", "20", "--out", home}).status, 1);
}

}  // namespace

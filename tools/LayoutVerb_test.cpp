#include <gtest/gtest.h>

#include <string>

#include "CliTestSupport.h"
#include "KTestSupport.h"

namespace {

class LayoutVerb : public ::testing::Test {
  protected:
    void SetUp() override { setenv("XDG_CONFIG_HOME", folder.Path("config").c_str(), 1); }
    Result Layout(std::vector<std::string> args) {
        args.insert(args.begin(), {"layout", "--home", folder.Path()});
        return Cli(args);
    }
    KTestFolder folder;
};

const char* const kStartList = R"({"background": "Black", "sourceMode": 1, "sourceMask": 3,
  "objects": [
    {"class": "TBitmapObject", "file": "logo.tga", "x": 0, "y": 0},
    {"class": "TTextObject", "field": "Event", "text": "Event %s", "x": 20, "y": 20,
     "width": 600, "font": {"name": "DejaVu Sans", "size": 50, "face": "#FFCC00"}},
    {"class": "TTextObject", "flags": 0, "text": "Official", "trigger": "F1",
     "triggerTime": 5000, "justification": 1, "value": "\u00e9t\u00e9"}]})";

TEST_F(LayoutVerb, NewShowAndConvertBothWays) {
    Result made = Layout({"new", folder.Path("empty.tly")});
    EXPECT_EQ(made.status, 0) << made.err;
    EXPECT_EQ(folder.Get("empty.tly").size(), 36u);

    folder.Put("start.json", kStartList);
    Result toFile = Layout({"convert", folder.Path("start.json"), folder.Path("start.tly")});
    ASSERT_EQ(toFile.status, 0) << toFile.err;
    Result toText = Layout({"convert", folder.Path("start.tly"), folder.Path("back.JSON")});
    ASSERT_EQ(toText.status, 0) << toText.err;
    Result again = Layout({"convert", folder.Path("back.JSON"), folder.Path("again.tly")});
    ASSERT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(folder.Get("again.tly"), folder.Get("start.tly"));

    Result shown = Layout({"show", folder.Path("start.tly")});
    EXPECT_EQ(shown.status, 0);
    EXPECT_EQ(shown.out, folder.Get("back.JSON"));
    EXPECT_NE(shown.out.find("\"version\": 196613"), std::string::npos);
    EXPECT_NE(shown.out.find("\"face\": \"#FFCC00\""), std::string::npos);
    EXPECT_NE(shown.out.find("\"value\": \"\xC3\xA9t\xC3\xA9\""), std::string::npos);
}

TEST_F(LayoutVerb, BadInputExitsWithAMessage) {
    folder.Put(
        "bad.json",
        R"({"objects": [{"class": "TTextObject"}, {"class": "TBitmapObject", "speed": "fast"}]})");
    Result bad = Layout({"convert", folder.Path("bad.json"), folder.Path("bad.tly")});
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find("objects[1]: key \"speed\": must be an integer"), std::string::npos)
        << bad.err;
    EXPECT_EQ(folder.Get("bad.tly"), "");

    folder.Put("broken.json", "{\"objects\": [");
    EXPECT_EQ(Layout({"show", folder.Path("broken.json")}).status, 1);

    folder.Put("v6.tly", std::string("\x06\x00\x03\x00", 4));
    Result old = Layout({"show", folder.Path("v6.tly")});
    EXPECT_EQ(old.status, 1);
    EXPECT_NE(old.err.find("error 3009"), std::string::npos) << old.err;
    folder.Put("short.tly", std::string("\x05\x00\x03\x00\x00", 5));
    EXPECT_NE(Layout({"show", folder.Path("short.tly")}).err.find("error 3004"), std::string::npos);

    EXPECT_EQ(Layout({"new", folder.Path("page.txt")}).status, 1);
    EXPECT_EQ(Layout({"show"}).status, 2);
}

TEST_F(LayoutVerb, APipeNamedAsALayoutIsRefusedAtOnce) {
    const std::string pipe = folder.Path("waiting.json");
    ASSERT_TRUE(KMakeFifo(pipe));
    Result shown;
    EXPECT_TRUE(KReturnsAtOnce({pipe}, [&] { shown = Layout({"show", pipe}); }));
    EXPECT_EQ(shown.status, 1);
    EXPECT_NE(shown.err.find("cannot be read"), std::string::npos) << shown.err;
}

}  // namespace

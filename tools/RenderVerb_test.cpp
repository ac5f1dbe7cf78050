#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "CliTestSupport.h"
#include "ImagesTestSupport.h"
#include "KTestSupport.h"
#include "SnapshotTestSupport.h"

namespace {

namespace fs = std::filesystem;

std::string Packet(const std::string& body) {
    return "\x02" + body + "\r\x03";
}

std::string Padded(std::string text, size_t width) {
    text.resize(width, ' ');
    return text;
}

// A heat of the demo meet: its header, eight lanes and the clock.
std::string Heat() {
    const char* names[] = {"Anna Berg",  "Chloe Martin", "Ida Lund",    "Maria Rossi",
                           "Emma Novak", "Sofia Cruz",   "Lea Fischer", "Mia Jensen"};
    const char* teams[] = {"SWE", "FRA", "NOR", "ITA", "CZE", "ESP", "GER", "DEN"};
    const char* places[] = {" 5", " 2", " 7", " 1", " 3", " 4", " 8", " 6"};
    const char* times[] = {"54.87", "53.90", "55.31", "53.12", "54.02", "54.65", "56.03", "55.10"};
    std::string bytes = Packet("H10203Women 100m Freestyle");
    for (int lane = 0; lane < 8; ++lane)
        bytes += Packet("L" + std::to_string(lane + 1) + places[lane] + Padded(names[lane], 20) +
                        Padded(teams[lane], 4) + times[lane]);
    return bytes + Packet("C  1:02.3");
}

class RenderVerb : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("XDG_CONFIG_HOME", folder.Path("config").c_str(), 1);
        CopyShippedFiles(folder.Path());
        Configure("");
    }
    // The home's configuration: a source framing with the results script,
    // then more lines.
    void Configure(const std::string& lines) {
        folder.Put("tessaron.cfg",
                   "Registry Version: 1.00\n\\Sources\\1\\:=\n\\Sources\\1\\Name:String=Pool\n"
                   "\\Sources\\1\\Script:String=Results.rss\n"
                   "\\Sources\\1\\SerialPort:String=0\n\\Sources\\1\\CharMode:Int=0\n" +
                       lines);
    }
    Result Render(std::vector<std::string> args, const std::string& capture = "") {
        args.insert(args.begin(), {"render", "--home", folder.Path(), "--out", Png()});
        if (!capture.empty()) {
            args.push_back("--capture");
            args.push_back(folder.Put("capture", capture));
        }
        return Cli(args);
    }
    std::string Png() const { return folder.Path("out.png"); }
    static std::string Demo(const std::string& name) {
        return std::string(std::getenv("TESSARON_BIN")) + "/layouts/" + name + ".tly";
    }
    // The picture written, compared with its reference.
    ::testing::AssertionResult Snapshot(const std::string& name) const {
        const TestPicture png = ReadPng(Png());
        return MatchesSnapshot(name, png.width, png.height, png.pixels);
    }

    KTestFolder folder;
};

TEST_F(RenderVerb, DemoLayoutsFillLaneByLaneSnapshot) {
    const Result r = Render({"--size", "640x480", Demo("Results"), Demo("Start List")}, Heat());
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("{\"t\":0,\"current\":\"Results\"}"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("{\"name\":\"Name 8\",\"value\":\"Mia Jensen\""), std::string::npos)
        << r.out;
    EXPECT_TRUE(Snapshot("render-results"));

    ASSERT_EQ(Render({"--size", "640x480", Demo("Start List")}, Heat()).status, 0);
    EXPECT_TRUE(Snapshot("render-start-list"));
}

TEST_F(RenderVerb, TurnedAndSplitBoardsSnapshot) {
    // Two screens side by side on a board mounted on its left side, the
    // logo in the lower right corner of each.
    Configure(
        "\\Display\\Rotate:Int=1\n\\Display\\Screens:Int=2\n"
        "\\Display\\LogoCorner:Int=3\n\\Layout\\AutoResize:Int=3\n");
    ASSERT_EQ(Render({"--size", "400x1200", Demo("Results")}, Heat()).status, 0);
    EXPECT_TRUE(Snapshot("render-results-left-two-screens"));
}

TEST_F(RenderVerb, RemoteCommandsSwitchLayoutsAndFireTriggers) {
    // window=2 waits LayoutDrawDelay (2000 ms) for data; the bare line feed
    // repeats the command; a trigger without a name does nothing.
    const std::string capture =
        "command=layoutdraw;window=2\n\nCommand=Trigger;Action=Off;\n" + Heat();
    const Result r = Render({"--at", "2100", Demo("Results"), Demo("Start List")}, capture);
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<std::string> expected = {
        "{\"t\":0,\"remote\":\"command=layoutdraw;window=2\"}",
        "{\"t\":0,\"current\":\"Start List\"}",
        "{\"t\":0,\"remote\":\"command=layoutdraw;window=2\"}",
        "{\"t\":0,\"remote\":\"Command=Trigger;Action=Off;\"}"};
    size_t at = 0;
    for (const std::string& line : expected) {
        at = r.out.find(line + "\n", at);
        ASSERT_NE(at, std::string::npos) << line << " in\n" << r.out;
    }
    // The first value for the waiting layout draws it whole at once.
    EXPECT_NE(r.out.find("{\"t\":0,\"draw\":[0,0,1919,1079]}", at), std::string::npos) << r.out;
}

TEST_F(RenderVerb, LayoutDrawWithoutDelayKeepsTheOldPictureUntilTheNextTick) {
    // The command's last byte arrives at 1363 ms; with Delay=3 the new
    // layout is drawn at 1366, with Delay=0 at the next tick.
    for (const char* delay : {"0", "3"}) {
        const std::string capture =
            std::string(1326, 'x') + "\ncommand=layoutdraw;window=2;delay=" + delay + "\n";
        const Result r = Render(
            {"--rate", "1000", "--at", "1370", Demo("Results"), Demo("Start List")}, capture);
        ASSERT_EQ(r.status, 0) << r.err;
        const size_t at = r.out.find("{\"t\":1363,\"current\":\"Start List\"}\n");
        ASSERT_NE(at, std::string::npos) << r.out;
        const std::string drawn = std::string("{\"t\":") + (delay[0] == '0' ? "1364" : "1366") +
                                  ",\"draw\":[0,0,1919,1079]}\n";
        // The first drawing after the switch is the whole new layout, then.
        const size_t draw = r.out.find("\"draw\"", at);
        ASSERT_NE(draw, std::string::npos) << r.out;
        const size_t begin = r.out.rfind('\n', draw) + 1;
        EXPECT_EQ(r.out.substr(begin, r.out.find('\n', draw) + 1 - begin), drawn) << delay;
    }
}

TEST_F(RenderVerb, KeysTriggersAndTheRunningClockShowOnTheBoard) {
    // Shift+F1 is not F1: the "OFFICIAL" banner stays hidden; F1 shows it.
    const Result plain = Render({"--size", "640x480", "--key", "S+F1", Demo("Results")}, Heat());
    ASSERT_EQ(plain.status, 0) << plain.err;
    const TestPicture before = ReadPng(Png());
    const Result keyed = Render({"--size", "640x480", "--key", "F1", Demo("Results")}, Heat());
    ASSERT_EQ(keyed.status, 0) << keyed.err;
    const TestPicture after = ReadPng(Png());
    ASSERT_EQ(before.pixels.size(), after.pixels.size());
    int changed = 0;
    for (size_t i = 0; i < after.pixels.size(); ++i) {
        if (before.pixels[i] == after.pixels[i]) continue;
        ++changed;
        const int x = static_cast<int>(i % 640), y = static_cast<int>(i / 640);
        ASSERT_TRUE(x >= 230 && x < 530 && y >= 420 && y < 454) << x << "," << y;
    }
    EXPECT_GT(changed, 1000);
}

// A remote line of 10,000 items fires the trigger it ends with, as the key
// does; a line past the longest kept fires nothing, even with the trigger
// named at its start.
TEST_F(RenderVerb, LongRemoteLinesFireWholeOrNotAtAll) {
    const auto board = [&](const std::vector<std::string>& keys, const std::string& capture) {
        std::vector<std::string> args = {"--size", "640x480"};
        args.insert(args.end(), keys.begin(), keys.end());
        args.push_back(Demo("Results"));
        const Result r = Render(args, capture);
        EXPECT_EQ(r.status, 0) << r.err;
        return ReadPng(Png()).pixels;
    };
    const auto plain = board({}, Heat());
    const auto keyed = board({"--key", "F1"}, Heat());
    ASSERT_NE(plain, keyed);

    std::string line;
    for (int i = 0; i < 9998; ++i) line += i < 16 ? "k=;" : "k=1;";
    line += "Command=Trigger;Name=F1;";
    ASSERT_EQ(line.size(), 40000u);
    EXPECT_TRUE(board({}, Heat() + line + "\n") == keyed);
    const std::string tooLong = "Command=Trigger;Name=F1;" + std::string(1 << 20, 'x');
    EXPECT_TRUE(board({}, Heat() + tooLong + "\n") == plain);
}

TEST_F(RenderVerb, FramesFollowTheCaptureOnTheVirtualClock) {
    // Ten clock packets a second, one every 100 ms at 120 bytes per second.
    std::string capture;
    for (int i = 0; i < 5; ++i) capture += Packet("C  0:0" + std::to_string(i) + ".0");
    const Result r = Render({"--rate", "120", "--at", "400", "--every", "200", "--frames",
                             folder.Path("frames"), Demo("Results")},
                            capture);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("{\"t\":100,\"packet\":"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("{\"t\":400,\"packet\":"), std::string::npos) << r.out;
    for (const char* frame : {"frame-0000.png", "frame-0001.png", "frame-0002.png"})
        EXPECT_TRUE(fs::exists(folder.Path("frames/" + std::string(frame)))) << frame;
    EXPECT_FALSE(fs::exists(folder.Path("frames/frame-0003.png")));
    EXPECT_NE(ReadPng(folder.Path("frames/frame-0001.png")).pixels,
              ReadPng(folder.Path("frames/frame-0002.png")).pixels);
}

TEST_F(RenderVerb, BrokenObjectsLeaveTheRestAndBadLayoutsAreRefused) {
    // A picture that is not there, a video display far too wide, a font that
    // is not installed: the text beside them is still drawn.
    folder.Put("broken.json", R"({"background": "Black", "objects": [
        {"class": "TBitmapObject", "flags": 0, "file": "missing.tga"},
        {"class": "TVideoDisplayObject", "x": 0, "y": 0, "width": 20000, "height": 100},
        {"class": "TTextObject", "x": 10, "y": 200, "flags": 0, "text": "Ghost",
         "font": {"name": "No Such Font", "size": 40}},
        {"class": "TTextObject", "x": 10, "y": 300, "width": 300, "flags": 0, "text": "Still here",
         "font": {"name": "DejaVu Sans", "size": 50, "face": "White"}}]})");
    const Result convert = Cli({"layout", "--home", folder.Path(), "convert",
                                folder.Path("broken.json"), folder.Path("broken.tly")});
    ASSERT_EQ(convert.status, 0) << convert.err;
    const Result r = Render({"--size", "640x480", folder.Path("broken.tly")});
    ASSERT_EQ(r.status, 0) << r.err;
    const TestPicture png = ReadPng(Png());
    int white = 0;
    for (size_t i = 300 * 640; i < 350 * 640; ++i) white += png.pixels[i] == 0xFFFFFF;
    EXPECT_GT(white, 500);

    folder.Put("bad.tly", "not a layout");
    const Result bad = Render({folder.Path("bad.tly")});
    EXPECT_EQ(bad.status, 1);
    EXPECT_EQ(bad.out.rfind("{\"error\":", 0), 0u) << bad.out;
    EXPECT_NE(bad.out.find("\"layout\":\"" + folder.Path("bad.tly") + "\"}"), std::string::npos);
}

// The program's loop sleeps until something is due instead of passing every
// millisecond. One capture, through a board with a ticker, an animation, a
// trigger that expires and switches of layout with and without a delay, gives
// the same events at the same times either way.
TEST_F(RenderVerb, SleepingUntilSomethingIsDueMovesNoEventInTime) {
    Configure(
        "\\Display\\Scroll\\Mode:Int=1\n\\Display\\Scroll\\Start:Int=300\n"
        "\\Display\\Scroll\\Delay:Int=34\n\\Display\\Scroll\\Step:Int=16\n");
    // Three frames of 50, 70 and 120 ms, played at half speed.
    GifBuilder gif(4, 4, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF});
    gif.Loop(0);
    for (int frame = 0; frame < 3; ++frame)
        gif.Control(0, frame == 2 ? 12 : 5 + 2 * frame)
            .Image(0, 0, 4, 4, std::vector<uint8_t>(16, static_cast<uint8_t>(frame)));
    folder.Put("spin.gif", gif.Bytes());
    // The board animates, shows the clock and a trigger; the other layout is
    // still, so a delayed switch to it is drawn by its deadline.
    const std::string text = R"("font": {"name": "DejaVu Sans", "size": 20, "face": "White"})";
    folder.Put("Board.json", R"({"background": "Black", "objects": [
        {"class": "TBitmapObject", "flags": 0, "file": "spin.gif", "x": 10, "y": 10, "speed": 50},
        {"class": "TTextObject", "x": 60, "y": 10, "width": 100, "field": "Running Time", )" +
                                 text + R"(},
        {"class": "TTextObject", "x": 60, "y": 60, "width": 100, "flags": 0, "text": "GO",
         "trigger": "F2", "triggerTime": 450, )" +
                                 text + "}]}");
    folder.Put("Other.json", R"({"background": "Blue", "objects": [
        {"class": "TTextObject", "x": 60, "y": 60, "width": 100, "flags": 0, "text": "WAIT", )" +
                                 text + "}]}");
    for (const std::string name : {"Board", "Other"})
        ASSERT_EQ(Cli({"layout", "--home", folder.Path(), "convert", folder.Path(name + ".json"),
                       folder.Path(name + ".tly")})
                      .status,
                  0);
    std::string capture;
    for (int tenth = 0; tenth < 12; ++tenth) {
        capture += Packet("C  0:0" + std::to_string(tenth % 10) + ".0");
        if (tenth == 3) capture += "Command=Trigger;Name=F2;Action=On;\n";
        if (tenth == 5) capture += "command=layoutdraw;window=2;delay=170\n";
        if (tenth == 8)
            capture += "command=layoutdraw;window=1;delay=0\nCommand=Trigger;Name=F2;\n";
    }
    std::vector<std::string> args = {"--size",
                                     "320x120",
                                     "--rate",
                                     "150",
                                     "--at",
                                     "2600",
                                     folder.Path("Board.tly"),
                                     folder.Path("Other.tly")};
    const Result everyMs = Render(args, capture);
    ASSERT_EQ(everyMs.status, 0) << everyMs.err;
    args.insert(args.begin(), "--sleep");
    const Result sleeping = Render(args, capture);
    ASSERT_EQ(sleeping.status, 0) << sleeping.err;
    EXPECT_EQ(sleeping.out, everyMs.out);
    // Each timed part shows in the events: steps of the ticker (strips of
    // 16 columns, the full height), frames of the 10 x 10 animation, the
    // trigger shown, expired while its layout was away, toggled and expired.
    const auto count = [&](const std::string& part) {
        size_t n = 0;
        for (size_t at = everyMs.out.find(part); at != std::string::npos;
             at = everyMs.out.find(part, at + 1))
            ++n;
        return n;
    };
    EXPECT_GT(count(",119]}"), 60u) << everyMs.out;
    EXPECT_GT(count(",\"draw\":[10,10,19,19]}"), 10u) << everyMs.out;
    EXPECT_EQ(count(",\"draw\":[60,60,159,79]}"), 4u) << everyMs.out;
    EXPECT_EQ(count(",\"current\":"), 3u) << everyMs.out;
    EXPECT_EQ(count(",\"draw\":[0,0,319,119]}"), 3u) << everyMs.out;
}

}  // namespace

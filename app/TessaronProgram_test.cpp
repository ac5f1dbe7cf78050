// The program as a user runs it: on a real X server (Xvfb), fed by a timing
// peer over TCP. Skipped where Xvfb is not installed.

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <thread>

#include "CliTestSupport.h"
#include "ImagesTestSupport.h"
#include "KTestSupport.h"
#include "KZTestSupport.h"
#include "WebTestSupport.h"

namespace {

// From the first item of the File menu to Options, past the layout files'
// six items and Create profile.
const std::string kToOptions = "xdotool key Down Down Down Down Down Down Down";

namespace fs = std::filesystem;

std::string Bin(const std::string& name) {
    return std::string(std::getenv("TESSARON_BIN")) + "/" + name;
}

std::string Packet(const std::string& body) {
    return "\x02" + body + "\r\x03";
}

// A home for the program on the test's own X server: a TCP source framing
// with the results script, the results layout open, the display window at
// the desktop's top left and the main window below it.
class TessaronProgram : public ::testing::Test {
  protected:
    void SetUp() override {
        if (x.Display().empty()) GTEST_SKIP() << "no Xvfb here";
        for (const auto& entry : fs::directory_iterator(std::getenv("TESSARON_BIN"))) {
            const std::string name = entry.path().filename().string();
            if (name.ends_with(".fnt") || name == "Results.rss" || name == "Logo.tga")
                fs::copy_file(entry.path(), folder.Path(name));
        }
        folder.Put(
            "tessaron.cfg",
            "Registry Version: 1.00\n\\Sources\\1\\:=\n\\Sources\\1\\Name:String=Pool\n"
            "\\Sources\\1\\Script:String=Results.rss\n"
            "\\Sources\\1\\SerialPort:String=-2,127.0.0.1," +
                std::to_string(port) +
                "\n"
                "\\Sources\\1\\CharMode:Int=0\n\\Display\\Monitor:Int=-1\n"
                "\\Display\\Width:Int=640\n\\Display\\Height:Int=480\n"
                "\\General\\MainWindow\\Left:Int=0\n\\General\\MainWindow\\Top:Int=520\n"
                "\\General\\MainWindow\\Width:Int=800\n\\General\\MainWindow\\Height:Int=400\n"
                "\\General\\MainWindow\\Maximized:Int=0\n"
                "\\Layout\\Open\\:=\n\\Layout\\Open\\1:String=" +
                layout + "\n");
        fs::create_directory(folder.Path("run"));
        fs::permissions(folder.Path("run"), fs::perms::owner_all);
        unsetenv("QT_QPA_PLATFORM");  // the X server's, not the tests' offscreen one
        setenv("XDG_RUNTIME_DIR", folder.Path("run").c_str(), 1);
        setenv("XDG_CONFIG_HOME", folder.Path("config").c_str(), 1);
        setenv("DISPLAY", x.Display().c_str(), 1);
        // Xvfb's pointer grabs fail for the toolkit's XInput 2 handling of
        // xdotool's input: pop-up menus would open unmapped.
        setenv("QT_XCB_NO_XI2", "1", 1);
    }
    std::unique_ptr<BackgroundCli> Start(std::vector<std::string> args = {}) {
        args.insert(args.begin(), {"--home", folder.Path()});
        return std::make_unique<BackgroundCli>(Bin("tessaron"), args);
    }
    // Waits until a window of this title shows on the X server.
    // Sends a capture to the program's source once it listens on port.
    static Result FeedWhenListening(int port, const std::string& capture) {
        Result fed{1, {}, {}};
        for (int i = 0; i < 100 && fed.status != 0; ++i) {
            fed = Cli({"feed", "--to", "-1,127.0.0.1," + std::to_string(port), capture});
            if (fed.status != 0) std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return fed;
    }
    bool WindowShows(const std::string& title) {
        return RunCommand("timeout 20 xdotool search --sync --name '^" + title + "$' >/dev/null");
    }

    // Runs xdotool commands with the main window focused.
    bool MainWindowKeys(const std::string& commands) {
        return RunCommand(
            "id=$(timeout 20 xdotool search --sync --onlyvisible --name '^Tessaron$' | head -1) "
            "&& xdotool windowfocus $id && sleep 0.2 && " +
            commands);
    }
    // Waits until the file exists.
    bool Appears(const std::string& path) {
        for (int i = 0; i < 100 && !fs::exists(path); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        return fs::exists(path);
    }

    // Pixels of the display window that differ from what render composes
    // with these arguments; it is looked at until it matches or 10 s pass,
    // as the window draws when the data arrives. The window is looked for at
    // the top left of an X screen ("" for the test's own) of this size.
    size_t DifferenceFromRender(std::vector<std::string> args, std::string screen = "",
                                const std::string& size = "640x480") {
        if (screen.empty()) screen = x.Display();
        args.insert(args.begin(), {"render", "--home", folder.Path(), "--size", size, "--out",
                                   folder.Path("engine.png")});
        const Result drawn = Cli(args);
        EXPECT_EQ(drawn.status, 0) << drawn.err;
        const TestPicture expected = ReadPng(folder.Path("engine.png"));
        size_t differ = expected.pixels.size();
        for (int i = 0; i < 50 && differ != 0; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            if (!RunCommand("import -display " + screen + " -window root -crop " + size +
                            "+0+0 +repage -depth 8 ppm:" + folder.Path("screen.ppm")))
                continue;
            const TestPicture shown = ReadPnm(folder.Path("screen.ppm"));
            if (shown.pixels.size() != expected.pixels.size()) continue;
            differ = 0;
            for (size_t p = 0; p < shown.pixels.size(); ++p)
                differ += shown.pixels[p] != expected.pixels[p];
        }
        return differ;
    }

    // An X server of the test's own.
    KZTestXServer x{{"1280x1024x24"}};
    KTestFolder folder;
    uint16_t port = KFreePort();
    std::string layout = Bin("layouts/Results.tly");
};

TEST_F(TessaronProgram, TheDisplayWindowShowsWhatTheEngineComposed) {
    std::unique_ptr<BackgroundCli> program = Start();

    std::string heat = Packet("H10203Women 100m Freestyle");
    heat += Packet("L4 1Maria Rossi         ITA 53.12");
    heat += Packet("C  1:02.3");
    const std::string capture = folder.Put("heat.cap", heat);
    const Result fed = FeedWhenListening(port, capture);
    ASSERT_EQ(fed.status, 0) << fed.err;

    const size_t differ = DifferenceFromRender({"--capture", capture, layout});
    const Result stopped = program->Stop();
    EXPECT_EQ(differ, 0u) << stopped.err;
}

TEST_F(TessaronProgram, ClicksAndMenusSwitchTheDisplayAndKeysFireTriggers) {
    const std::string startList = Bin("layouts/Start List.tly");
    folder.Put("tessaron.cfg",
               folder.Get("tessaron.cfg") + "\\Layout\\Open\\2:String=" + startList + "\n");
    std::unique_ptr<BackgroundCli> program = Start();
    ASSERT_TRUE(WindowShows("Tessaron"));
    EXPECT_EQ(DifferenceFromRender({startList}), 0u);  // the layout opened last
    // Window, 1: the results layout's window becomes active and is shown.
    ASSERT_TRUE(
        RunCommand("id=$(xdotool search --onlyvisible --name '^Tessaron$' | head -1) && "
                   "xdotool windowfocus $id && sleep 0.2 && xdotool key alt+w && "
                   "sleep 0.3 && xdotool key 1"));
    EXPECT_EQ(DifferenceFromRender({layout}), 0u);
    // F1 on the display window shows the results' banner.
    ASSERT_TRUE(RunCommand("xdotool mousemove 320 240 click 1 && sleep 0.3 && xdotool key F1"));
    EXPECT_EQ(DifferenceFromRender({"--key", "F1", layout}), 0u);
    // The display window's own menu: window 2 comes back.
    ASSERT_TRUE(RunCommand("xdotool mousemove 320 240 click 3 && sleep 0.3 && xdotool key 2"));
    EXPECT_EQ(DifferenceFromRender({startList}), 0u);
    // A click into the results window (the main window sits at (0, 520),
    // the results window at the left of its document area) shows it again,
    // its banner still on.
    ASSERT_TRUE(RunCommand("xdotool mousemove 150 700 click 1"));
    EXPECT_EQ(DifferenceFromRender({"--key", "F1", layout}), 0u);
    program->Stop();
}

TEST_F(TessaronProgram, ASecondCopyAsksFirstOrHandsItsLayoutsToTheFirst) {
    std::unique_ptr<BackgroundCli> first = Start({"--quit-after", "10"});
    ASSERT_TRUE(WindowShows("Tessaron"));
    const std::string config = folder.Get("tessaron.cfg");

    // Without files the second copy asks; answering no ends it, saving nothing.
    std::unique_ptr<BackgroundCli> second = Start();
    ASSERT_TRUE(WindowShows("Copy 2"));
    ASSERT_TRUE(
        RunCommand("id=$(xdotool search --onlyvisible --name '^Copy 2$' | head -1) && "
                   "xdotool windowfocus $id && sleep 0.2 && xdotool key Escape"));
    const Result asked = second->Wait(20000);
    EXPECT_EQ(asked.status, 0) << asked.err;
    EXPECT_EQ(folder.Get("tessaron.cfg"), config);

    // With a file it asks nothing: the first copy opens the file.
    const std::string startList = Bin("layouts/Start List.tly");
    const Result handed = Start({startList})->Wait(20000);
    EXPECT_EQ(handed.status, 0) << handed.err;
    const Result opened = Cli({"open", Bin("layouts/Video Display.tly")});
    EXPECT_EQ(opened.out, "ACK\n") << opened.err;
    EXPECT_EQ(folder.Get("tessaron.cfg"), config);

    // The first copy exits by itself, memorising the three layouts it shows.
    const Result ended = first->Wait(30000);
    EXPECT_EQ(ended.status, 0) << ended.err;
    const std::string saved = folder.Get("tessaron.cfg");
    EXPECT_NE(saved.find("\\Layout\\Open\\2:String,1=" + startList), std::string::npos) << saved;
    EXPECT_NE(saved.find("\\Layout\\Open\\3:String,1=" + Bin("layouts/Video Display.tly")),
              std::string::npos)
        << saved;
}

TEST_F(TessaronProgram, TheMainWindowOpensMaximizedWhenNoSizeIsStored) {
    // Width -1 (the default) maximizes whatever Maximized says.
    std::string config = folder.Get("tessaron.cfg");
    const std::string stored = "\\General\\MainWindow\\Width:Int=800";
    config.replace(config.find(stored), stored.size(), "\\General\\MainWindow\\Width:Int=-1");
    folder.Put("tessaron.cfg", config);
    std::unique_ptr<BackgroundCli> program = Start();
    ASSERT_TRUE(WindowShows("Tessaron"));
    // The window tells the window manager once it is mapped.
    std::string state;
    for (int i = 0; i < 50 && state.find("MAXIMIZED_HORZ") == std::string::npos; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        RunCommand(
            "for id in $(xdotool search --onlyvisible --name '^Tessaron$'); do "
            "xprop -id $id _NET_WM_STATE; done > " +
            folder.Path("state") + " 2>&1");
        state = folder.Get("state");
    }
    EXPECT_NE(state.find("_NET_WM_STATE_MAXIMIZED_VERT"), std::string::npos) << state;
}

// File, Options opens the options dialog, with Ctrl and Shift held the
// settings editor; leaving with them held writes the language file anew with
// every text of the program.
TEST_F(TessaronProgram, FileOptionsAndTheKeysHeldWithIt) {
    fs::copy_file(Bin("Deutsch.lng"), folder.Path("Deutsch.lng"));
    folder.Put("tessaron.cfg", folder.Get("tessaron.cfg") + "\\Language\\Choice:String=de_DE\n");
    std::unique_ptr<BackgroundCli> program = Start();
    ASSERT_TRUE(WindowShows("Tessaron"));
    // Opened by its key, the menu has its first item, Optionen, active.
    ASSERT_TRUE(MainWindowKeys("xdotool key alt+d && sleep 0.3 && " + kToOptions + " Return"));
    ASSERT_TRUE(WindowShows("Optionen"));
    ASSERT_TRUE(RunCommand("sleep 0.3 && xdotool key Escape"));
    ASSERT_TRUE(MainWindowKeys("xdotool key alt+d && sleep 0.3 && " + kToOptions +
                               " && "
                               "xdotool keydown ctrl+shift && "
                               "xdotool key Return && xdotool keyup ctrl+shift"));
    ASSERT_TRUE(WindowShows("Weitere Einstellungen"));
    ASSERT_TRUE(RunCommand("sleep 0.3 && xdotool key Escape"));
    EXPECT_EQ(folder.Get("Deutsch.lng").find("Registry\\Comments"), std::string::npos);
    // Beenden is the File menu's last item.
    ASSERT_TRUE(
        MainWindowKeys("xdotool key alt+d && sleep 0.3 && xdotool key Up && "
                       "xdotool keydown ctrl+shift && xdotool key Return"));
    const Result ended = program->Wait(20000);
    RunCommand("xdotool keyup ctrl+shift");
    EXPECT_EQ(ended.status, 0) << ended.err;
    const std::string exported = folder.Get("Deutsch.lng");
    EXPECT_NE(exported.find("Registry\\Comments\\Display\\CacheSize"), std::string::npos);
    EXPECT_NE(exported.find("Weitere Einstellungen"), std::string::npos);
}

// A service manager or a shutdown ends the program with SIGTERM: it ends as
// File|Exit does, memorising what is open, with a dialog open and without a
// question, and saves its configuration.
// With \Web\Port set the program serves the board: a client rebuilding it
// from /board sees what render composes of the same bytes.
TEST_F(TessaronProgram, TheWebBoardShowsWhatTheDisplayWindowShows) {
    const uint16_t web = KFreePort();
    folder.Put("tessaron.cfg",
               folder.Get("tessaron.cfg") + "\\Web\\Port:Int=" + std::to_string(web) + "\n");
    std::unique_ptr<BackgroundCli> program = Start();
    const std::string heat = Packet("H10203Women 100m Freestyle") +
                             Packet("L4 1Maria Rossi         ITA 53.12") + Packet("C  1:02.3");
    const std::string capture = folder.Put("heat.cap", heat);
    const Result fed = FeedWhenListening(port, capture);
    ASSERT_EQ(fed.status, 0) << fed.err;
    const Result drawn = Cli({"render", "--home", folder.Path(), "--size", "640x480", "--out",
                              folder.Path("engine.png"), "--capture", capture, layout});
    ASSERT_EQ(drawn.status, 0) << drawn.err;
    const TestPicture expected = ReadPng(folder.Path("engine.png"));

    WebSocketClient board;
    ASSERT_EQ(board.Open(web, "/board"), 101);
    std::vector<uint32_t> pixels(expected.pixels.size(), 0);
    WebSocketClient::Message message;
    bool same = false;
    while (!same && board.Read(&message, 10000)) {
        if (message.text) continue;
        const int x0 = WebInt32(message.data, 0), y0 = WebInt32(message.data, 4);
        int w = 0, h = 0;
        const std::vector<uint32_t> png = DecodePng(message.data.substr(16), &w, &h);
        ASSERT_FALSE(png.empty());
        for (int row = 0; row < h; ++row)
            for (int col = 0; col < w; ++col)
                pixels[static_cast<size_t>(y0 + row) * 640 + x0 + col] =
                    png[static_cast<size_t>(row) * w + col] & 0xFFFFFF;
        same = pixels == expected.pixels;
    }
    const Result stopped = program->Stop();
    EXPECT_TRUE(same) << stopped.err;
    EXPECT_EQ(stopped.status, 0);
}

// An address every network reaches, without a token: the program says why
// and runs on without the web output.
TEST_F(TessaronProgram, AnOpenWebAddressWithoutATokenIsRefusedWithAnAlert) {
    const uint16_t web = KFreePort();
    folder.Put("tessaron.cfg", folder.Get("tessaron.cfg") + "\\Web\\Port:Int=" +
                                   std::to_string(web) + "\n\\Web\\Address:String=0.0.0.0\n");
    std::unique_ptr<BackgroundCli> program = Start();
    EXPECT_TRUE(WindowShows("The web output does not start"));
    EXPECT_EQ(WebGet(web, "/").status, 0);  // nobody listens
    program.reset();
    EXPECT_NE(folder.Get("tessaron.log").find("only with a token"), std::string::npos)
        << folder.Get("tessaron.log");
}

TEST_F(TessaronProgram, AStopSignalEndsTheProgramInOrder) {
    std::unique_ptr<BackgroundCli> program = Start();
    ASSERT_TRUE(WindowShows("Tessaron"));
    const std::string startList = Bin("layouts/Start List.tly");
    EXPECT_EQ(Cli({"open", startList}).out, "ACK\n");
    ASSERT_TRUE(MainWindowKeys("xdotool key alt+f && sleep 0.3 && " + kToOptions + " Return"));
    ASSERT_TRUE(WindowShows("Options"));
    const Result ended = program->Stop();
    EXPECT_EQ(ended.status, 0) << ended.err;
    const std::string saved = folder.Get("tessaron.cfg");
    EXPECT_NE(saved.find("\\Layout\\Open\\2:String,1=" + startList), std::string::npos) << saved;
}

// Changes not yet saved survive a stop signal: they wait in the recovery
// file beside the configuration for the next start.
TEST_F(TessaronProgram, AStopSignalKeepsUnsavedChangesForTheNextStart) {
    std::unique_ptr<BackgroundCli> program = Start();
    ASSERT_TRUE(WindowShows("Tessaron"));
    const std::string startList = Bin("layouts/Start List.tly");
    EXPECT_EQ(Cli({"open", startList}).out, "ACK\n");
    ASSERT_TRUE(MainWindowKeys("sleep 0.5 && xdotool key ctrl+t"));  // a new text object
    const Result ended = program->Stop();
    EXPECT_EQ(ended.status, 0) << ended.err;
    const std::string recovered = folder.Get("Recovery.json");
    EXPECT_NE(recovered.find(startList), std::string::npos) << recovered;
    EXPECT_NE(recovered.find("\"untitled\": false"), std::string::npos) << recovered;
}

// What the user confirms is saved at once, not only at exit: OK in the
// options dialog and leaving the settings editor write the configuration, so
// a crash or a power cut (here SIGKILL) loses none of it.
TEST_F(TessaronProgram, AConfirmedChangeIsSavedAtOnce) {
    std::unique_ptr<BackgroundCli> program = Start();
    ASSERT_TRUE(WindowShows("Tessaron"));
    fs::remove(folder.Path("tessaron.cfg"));
    ASSERT_TRUE(MainWindowKeys("xdotool key alt+f && sleep 0.3 && " + kToOptions + " Return"));
    ASSERT_TRUE(WindowShows("Options"));
    ASSERT_TRUE(RunCommand("sleep 0.3 && xdotool key Return"));  // OK
    EXPECT_TRUE(Appears(folder.Path("tessaron.cfg")));
    fs::remove(folder.Path("tessaron.cfg"));
    ASSERT_TRUE(MainWindowKeys("xdotool key alt+f && sleep 0.3 && " + kToOptions +
                               " && "
                               "xdotool keydown ctrl+shift && "
                               "xdotool key Return && xdotool keyup ctrl+shift"));
    ASSERT_TRUE(WindowShows("Other Settings"));
    ASSERT_TRUE(RunCommand("sleep 0.3 && xdotool key Escape"));
    EXPECT_TRUE(Appears(folder.Path("tessaron.cfg")));
    program.reset();  // killed
    const std::string saved = folder.Get("tessaron.cfg");
    EXPECT_NE(saved.find("\\Display\\Width:Int"), std::string::npos) << saved;
}

// A new layout saved on the way out, under a name typed without its
// extension, is a layout file and is remembered to open at the next start.
TEST_F(TessaronProgram, ALayoutNamedAtExitOpensAgainAtTheNextStart) {
    std::unique_ptr<BackgroundCli> program = Start();
    ASSERT_TRUE(WindowShows("Tessaron"));
    ASSERT_TRUE(MainWindowKeys("xdotool key ctrl+n && sleep 0.5 && xdotool key ctrl+t"));
    ASSERT_TRUE(MainWindowKeys("xdotool key alt+f && sleep 0.3 && xdotool key Up Return"));
    ASSERT_TRUE(WindowShows("Exit Tessaron"));
    ASSERT_TRUE(RunCommand("sleep 0.3 && xdotool key Return"));  // yes, save it
    ASSERT_TRUE(WindowShows("Save As"));
    ASSERT_TRUE(RunCommand("sleep 0.5 && xdotool key ctrl+a && xdotool type '" +
                           folder.Path("Pool") + "' && xdotool key Return"));
    const Result ended = program->Wait(20000);
    EXPECT_EQ(ended.status, 0) << ended.err;
    EXPECT_TRUE(fs::exists(folder.Path("Pool.tly")));
    const Result open = Cli({"settings", "--home", folder.Path(), "get", "\\Layout\\Open\\2"});
    EXPECT_EQ(open.out, folder.Path("Pool.tly") + "\n") << open.err;
}

// A memorised layout on a drive that is not there yet: the others open and
// the board shows them while its alert waits, and it stays memorised.
TEST_F(TessaronProgram, AMissingMemorisedLayoutNeitherBlocksNorIsForgotten) {
    const std::string missing = folder.Path("stick/Heats.tly");
    std::string config = folder.Get("tessaron.cfg");
    const std::string first = "\\Layout\\Open\\1:String=";
    config.replace(config.find(first), first.size(),
                   first + missing + "\n\\Layout\\Open\\2:String=");
    folder.Put("tessaron.cfg", config);
    std::unique_ptr<BackgroundCli> program = Start();
    EXPECT_EQ(DifferenceFromRender({layout}), 0u);
    EXPECT_TRUE(WindowShows("Error"));
    const Result ended = program->Stop();
    EXPECT_EQ(ended.status, 0) << ended.err;
    const std::string saved = folder.Get("tessaron.cfg");
    EXPECT_NE(saved.find("\\Layout\\Open\\1:String,1=" + missing), std::string::npos) << saved;
    EXPECT_NE(saved.find("\\Layout\\Open\\2:String,1=" + layout), std::string::npos) << saved;
}

// Where each monitor is an X screen of its own, the display window starts on
// the monitor the configuration names, as the options dialog puts it there.
TEST_F(TessaronProgram, TheDisplayWindowStartsOnItsMonitorOfItsOwnXScreen) {
    KZTestXServer two({"1280x800x24", "640x360x24"});
    ASSERT_FALSE(two.Display().empty());
    setenv("DISPLAY", two.Display().c_str(), 1);
    std::string config = folder.Get("tessaron.cfg");
    const std::string monitor = "\\Display\\Monitor:Int=-1";
    config.replace(config.find(monitor), monitor.size(), "\\Display\\Monitor:Int=1");
    folder.Put("tessaron.cfg", config);
    std::unique_ptr<BackgroundCli> program = Start();
    EXPECT_EQ(DifferenceFromRender({layout}, two.Display() + ".1", "640x360"), 0u);
    program->Stop();
}

// The editor as a user drives it, by keys and the mouse, on the real program.
class EditingProgram : public TessaronProgram {
  protected:
    // Keys typed with the main window focused; a dialog that closed leaves
    // no window focused on a server without a window manager.
    bool Keys(const std::string& keys) {
        return MainWindowKeys("xdotool key --delay 60 " + keys + " && sleep 0.4");
    }
    bool Type(const std::string& text) {
        return RunCommand("xdotool type --delay 30 '" + text + "' && sleep 0.2");
    }
    // Ctrl+S, then the file as saved.
    std::string Save(const std::string& path) {
        const auto before = fs::last_write_time(path);
        EXPECT_TRUE(Keys("ctrl+s"));
        for (int i = 0; i < 50 && fs::last_write_time(path) == before; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        EXPECT_NE(fs::last_write_time(path), before) << "not saved";
        return folder.Get(fs::path(path).filename().string());
    }
    nlohmann::json Shown(const std::string& path) {
        const Result shown = Cli({"layout", "show", path});
        EXPECT_EQ(shown.status, 0) << shown.err;
        return nlohmann::json::parse(shown.out, nullptr, false);
    }
    // With no layout open at the start.
    void OpenNothing() {
        std::string config = folder.Get("tessaron.cfg");
        config.erase(config.find("\\Layout\\Open\\:="));
        folder.Put("tessaron.cfg", config);
    }
};

// The layout window's keys on a layout file: everything undone gives the
// file's own bytes back.
TEST_F(EditingProgram, KeysEditTheLayoutAndUndoGivesTheFileBack) {
    const std::string path = folder.Path("Results.tly");
    fs::copy_file(layout, path);
    std::string config = folder.Get("tessaron.cfg");
    config.replace(config.find(layout), layout.size(), path);
    folder.Put("tessaron.cfg", config);
    const std::string original = folder.Get("Results.tly");
    const nlohmann::json first = Shown(path);
    const size_t count = first["objects"].size();
    ASSERT_GT(count, 2u);
    std::unique_ptr<BackgroundCli> program = Start();
    ASSERT_TRUE(WindowShows("Tessaron"));

    Keys("ctrl+a Delete");
    Save(path);
    EXPECT_EQ(Shown(path)["objects"].size(), 0u);
    Keys("ctrl+z Escape");
    EXPECT_EQ(Save(path), original);

    // Tab chooses the backmost object; Shift moves by the grid, 3.
    Keys("Tab Right Right Right Right Right Down Down shift+Right Escape");
    Save(path);
    nlohmann::json moved = Shown(path);
    EXPECT_EQ(moved["objects"][0]["x"], first["objects"][0]["x"].get<int>() + 8);
    EXPECT_EQ(moved["objects"][0]["y"], first["objects"][0]["y"].get<int>() + 2);
    moved["objects"][0]["x"] = first["objects"][0]["x"];
    moved["objects"][0]["y"] = first["objects"][0]["y"];
    EXPECT_EQ(moved, first);  // nothing else
    Keys("ctrl+z ctrl+z ctrl+z ctrl+z ctrl+z ctrl+z ctrl+z ctrl+z Escape");
    EXPECT_EQ(Save(path), original);

    // New text, new bitmap, copy and paste (a new id), cut.
    Keys("ctrl+t ctrl+b ctrl+c ctrl+v");
    Save(path);
    std::set<int> ids;
    const nlohmann::json pasted = Shown(path);
    for (const auto& object : pasted["objects"]) ids.insert(object["id"].get<int>());
    EXPECT_EQ(ids.size(), count + 3);
    Keys("ctrl+x");
    Save(path);
    EXPECT_EQ(Shown(path)["objects"].size(), count + 2);

    // Twenty-five steps are kept: thirty moves and thirty undos leave five.
    std::string keys = "Escape Tab";
    for (int i = 0; i < 30; ++i) keys += " Right";
    for (int i = 0; i < 30; ++i) keys += " ctrl+z";
    Keys(keys + " Escape");
    Save(path);
    EXPECT_EQ(Shown(path)["objects"][0]["x"], first["objects"][0]["x"].get<int>() + 5);
    EXPECT_EQ(program->Stop().status, 0);
}

// A new layout with a running clock, a title and a logo, made by keys and
// the mouse, aligned, saved as .tly and as .json, closed and opened again:
// the board shows exactly what render draws from the saved file.
TEST_F(EditingProgram, ALayoutMadeByHandShowsAsRenderDrawsItsFile) {
    OpenNothing();
    std::unique_ptr<BackgroundCli> program = Start();
    ASSERT_TRUE(WindowShows("Tessaron"));
    const std::string saved = folder.Path("Walk.tly");
    const std::string json = folder.Path("Walk.json");
    ASSERT_TRUE(Keys("ctrl+n"));
    // In the property dialog: place and width, then the field.
    const auto text = [&](const char* x, const char* y, const char* width, const char* field) {
        ASSERT_TRUE(Keys("ctrl+t Return ctrl+a"));
        Type(x);
        RunCommand("xdotool key Tab ctrl+a");
        Type(y);
        RunCommand("xdotool key Tab ctrl+a");
        Type(width);
        RunCommand("xdotool key Tab Tab Tab");
        Type(field);
        RunCommand("xdotool key Tab Return && sleep 0.4");
    };
    text("400", "24", "200", "Running Time");
    text("20", "20", "360", "Title");
    ASSERT_TRUE(Keys("ctrl+b Return ctrl+a"));
    Type("20");
    RunCommand("xdotool key Tab ctrl+a");
    Type("300");
    RunCommand("xdotool key ctrl+Tab");  // the picture's page, at its file
    Type("Logo.tga");
    RunCommand("xdotool key Return && sleep 0.4");
    // A band around the clock and the title (the layout window's corner is
    // below the menu bar and the window's caption), then Align horizontal.
    ASSERT_TRUE(
        RunCommand("xdotool mousemove 8 568 mousedown 1 mousemove 200 590 "
                   "mousemove 470 620 mouseup 1 && sleep 0.3"));
    ASSERT_TRUE(Keys("alt+l h"));
    ASSERT_TRUE(Keys("ctrl+s"));
    RunCommand("sleep 1");
    Type(saved);
    RunCommand("xdotool key Return && sleep 0.5");
    ASSERT_TRUE(Appears(saved));
    ASSERT_TRUE(Keys("alt+f a"));
    RunCommand("sleep 1");
    Type(json);
    RunCommand("xdotool key Return && sleep 0.5");
    ASSERT_TRUE(Appears(json));
    ASSERT_TRUE(Keys("ctrl+w"));

    const nlohmann::json made = Shown(saved);
    ASSERT_EQ(made["objects"].size(), 3u);
    EXPECT_EQ(made["objects"][0]["field"], "Running Time");
    EXPECT_EQ(made["objects"][0]["x"], 400);
    EXPECT_EQ(made["objects"][1]["field"], "Title");
    EXPECT_EQ(made["objects"][1]["y"], made["objects"][0]["y"]);  // aligned
    EXPECT_EQ(made["objects"][2]["file"], "Logo.tga");
    EXPECT_EQ(Shown(json)["objects"], made["objects"]);

    ASSERT_TRUE(Keys("ctrl+o"));
    RunCommand("sleep 1");
    Type(saved);
    RunCommand("xdotool key Return && sleep 0.5");
    const std::string capture =
        folder.Put("heat.cap", Packet("C  1:02.3") + Packet("H10203Women 100m Freestyle"));
    const Result fed = FeedWhenListening(port, capture);
    ASSERT_EQ(fed.status, 0) << fed.err;
    EXPECT_EQ(DifferenceFromRender({"--capture", capture, saved}), 0u);
    EXPECT_EQ(DifferenceFromRender({"--capture", capture, json}), 0u);
    EXPECT_EQ(program->Stop().status, 0);
}

}  // namespace

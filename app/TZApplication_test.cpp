// The program's start-up: its help and version without a display, and the
// display PC's start (--kiosk) in this process on the offscreen platform.

#include "TZApplication.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMainWindow>
#include <QTimer>
#include <filesystem>
#include <string>
#include <vector>

#include "CliTestSupport.h"
#include "ImagesTestSupport.h"
#include "KTestSupport.h"
#include "KUtf8.h"
#include "KZDisplaySurface.h"
#include "TLayout.h"

namespace {

namespace fs = std::filesystem;

std::string Bin(const std::string& name) {
    return std::string(std::getenv("TESSARON_BIN")) + "/" + name;
}

// --help and --version need no display: help2man runs them at build time.
TEST(TZApplication, HelpAndVersionNeedNoDisplay) {
    const std::string program =
        "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " + Quote(Bin("tessaron"));
    BackgroundCli version("/bin/sh", {"-c", program + " --version"});
    const Result shown = version.Wait(20000);
    EXPECT_EQ(shown.status, 0) << shown.err;
    EXPECT_EQ(shown.out, "tessaron " TESSARON_VERSION "\n");
    BackgroundCli help("/bin/sh", {"-c", program + " --help"});
    const Result helped = help.Wait(20000);
    EXPECT_EQ(helped.status, 0) << helped.err;
    EXPECT_TRUE(helped.out.starts_with("Usage: tessaron [OPTION]... [LAYOUT]...\n")) << helped.out;
    EXPECT_NE(helped.out.find("--kiosk"), std::string::npos);
}

QMainWindow* MainWindow() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* window = qobject_cast<QMainWindow*>(widget)) return window;
    }
    return nullptr;
}

KZDisplaySurface* DisplayWindow() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* surface = dynamic_cast<KZDisplaySurface*>(widget)) return surface;
    }
    return nullptr;
}

// A home whose configuration memorised the results layout, with the display
// window as a 640 x 480 window of its own.
class Kiosk : public ::testing::Test {
  protected:
    void SetUp() override {
        CopyShippedFiles(folder.Path());
        folder.Put("tessaron.cfg",
                   "Registry Version: 1.00\n\\Display\\Monitor:Int=-1\n"
                   "\\Display\\Left:Int=0\n\\Display\\Top:Int=0\n"
                   "\\Display\\Width:Int=640\n\\Display\\Height:Int=480\n"
                   "\\Layout\\Open\\:=\n\\Layout\\Open\\1:String=" +
                       layout + "\n");
        fs::create_directory(folder.Path("run"));
        fs::permissions(folder.Path("run"), fs::perms::owner_all);
        setenv("XDG_RUNTIME_DIR", folder.Path("run").c_str(), 1);
        setenv("XDG_CONFIG_HOME", folder.Path("config").c_str(), 1);
    }
    std::vector<std::string> Arguments(const std::string& seconds) const {
        return {"tessaron", "--home",        folder.Path(),
                "--kiosk",  "-noserialport", "--quit-after",
                seconds,    "--display-png", folder.Path("display.png")};
    }

    KTestFolder folder;
    std::string layout = Bin("layouts/Results.tly");
};

// The main window is minimised; the display window shows the memorised
// layout as render draws it.
TEST_F(Kiosk, TheDisplayWindowShowsTheMemorisedLayoutAndTheMainWindowIsMinimised) {
    std::vector<std::string> args = Arguments("2");
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    TZApplication program(static_cast<int>(argv.size()), argv.data());
    bool minimised = false, shown = false;
    std::string current;
    QTimer::singleShot(1000, [&] {
        QMainWindow* window = MainWindow();
        ASSERT_NE(window, nullptr);
        minimised = window->isMinimized();
        KZDisplaySurface* display = DisplayWindow();
        ASSERT_NE(display, nullptr);
        shown = display->isVisible() && !display->isMinimized();
        if (TLayout* layout = program.Engine().Window().CurrentLayout())
            current = KUtf8Of(layout->Path());
    });
    EXPECT_EQ(program.Run(), 0);
    EXPECT_TRUE(minimised);
    EXPECT_TRUE(shown);
    EXPECT_EQ(current, layout);

    const Result drawn = Cli({"render", "--home", folder.Path(), "--size", "640x480", "--out",
                              folder.Path("render.png"), layout});
    ASSERT_EQ(drawn.status, 0) << drawn.err;
    const TestPicture expected = ReadPng(folder.Path("render.png"));
    const TestPicture display = ReadPng(folder.Path("display.png"));
    EXPECT_EQ(display.width, 640);
    EXPECT_EQ(display.height, 480);
    EXPECT_TRUE(display.pixels == expected.pixels);
}

// Started again at a login while the program runs, the display PC's copy
// ends at once, asking nothing and saving nothing.
TEST_F(Kiosk, ASecondCopyEndsAtOnceAndLeavesTheBoardToTheFirst) {
    std::vector<std::string> args = Arguments("3");
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    TZApplication program(static_cast<int>(argv.size()), argv.data());
    KTestFolder other;
    Result second{-1, {}, {}};
    QTimer::singleShot(500, [&] {
        second = BackgroundCli(Bin("tessaron"), {"--home", other.Path(), "--kiosk"}).Wait(20000);
    });
    EXPECT_EQ(program.Run(), 0);
    EXPECT_EQ(second.status, 0) << second.err;
    EXPECT_FALSE(fs::exists(other.Path("tessaron.cfg")));
}

}  // namespace

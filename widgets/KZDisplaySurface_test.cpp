#include "KZDisplaySurface.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QScreen>
#include <QWindow>
#include <fstream>
#include <functional>
#include <regex>
#include <sstream>

#include "K3DFonts.h"
#include "KClock.h"
#include "KFrameBufferSurface.h"
#include "KRegistry.h"
#include "KTestSupport.h"
#include "KZMonitors.h"
#include "KZScreenEvents.h"
#include "KZTestSupport.h"
#include "TDefaultSettings.h"
#include "TLayout.h"
#include "TLayoutJson.h"
#include "TTrigger.h"
#include "TZDisplayWindow.h"

namespace {

struct Key {
    int32_t functionKey;
    KChar character;
    uint32_t modifiers;
    bool operator==(const Key&) const = default;
};

class Recorder : public KZScreenEvents {
  public:
    void RedrawNeeded(const KRect& rect) override {
        ++redraws;
        painted = rect;
        if (onRedraw) onRedraw();
    }
    void KeyPressed(int32_t functionKey, KChar character, uint32_t modifiers) override {
        keys.push_back({functionKey, character, modifiers});
    }
    void MenuRequested(const QPoint& desktop) override { menus.push_back(desktop); }

    std::function<void()> onRedraw;
    int redraws = 0;
    KRect painted{0, 0, -1, -1};
    std::vector<Key> keys;
    std::vector<QPoint> menus;
};

// A band whose every pixel differs from its neighbours, with a stripe of
// the transparent key that must show black.
std::vector<uint32_t> Pattern(int32_t width, int32_t height) {
    std::vector<uint32_t> pixels;
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            pixels.push_back(x == 5 ? 0xFF000000u
                                    : uint32_t(x * 7 & 0xFF) << 16 | uint32_t(y * 13 & 0xFF) << 8 |
                                          uint32_t((x ^ y) & 0xFF));
    return pixels;
}

uint32_t Shown(uint32_t pixel) {
    return pixel == 0xFF000000u ? 0 : pixel;
}

TEST(DisplaySurface, CopiesLandInTheImageLikeInTheFrameBuffer) {
    KZDisplaySurface surface;
    KFrameBufferSurface memory;
    const KRect placement{100, 50, 100 + 63, 50 + 47};
    surface.Move(placement);
    memory.Move(placement);
    ASSERT_EQ(surface.ClientSize().width, 64);
    ASSERT_EQ(surface.ClientSize().height, 48);
    ASSERT_EQ(surface.Image().size(), QSize(64, 48));
    // A band sticking out over the left and bottom edges, then moves that
    // overlap their source in every direction, and one far outside.
    const std::vector<uint32_t> band = Pattern(40, 30);
    const KRect at{-8, 24, 31, 53};
    surface.CopyBand(at, band.data());
    memory.CopyBand(at, band.data());
    for (const auto& [rect, dx, dy] :
         std::vector<std::tuple<KRect, int32_t, int32_t>>{{{0, 24, 31, 47}, 3, -2},
                                                          {{2, 10, 40, 47}, -1, 5},
                                                          {{-5, -5, 70, 70}, 9, 0},
                                                          {{0, 0, 63, 47}, INT32_MAX, INT32_MIN}}) {
        EXPECT_TRUE(surface.CopyRegion(rect, dx, dy));
        EXPECT_TRUE(memory.CopyRegion(rect, dx, dy));
    }
    int differing = 0, patterned = 0;
    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 64; ++x) {
            const uint32_t pixel = surface.Image().pixel(x, y);
            differing += pixel != (Shown(memory.Pixel(x, y)) | 0xFF000000u);
            patterned += (pixel & 0xFFFFFF) != 0;
        }
    }
    EXPECT_EQ(differing, 0);
    EXPECT_GT(patterned, 500);
}

TEST(DisplaySurface, MovesAreComputedWhereTheyOverlap) {
    KFrameBufferSurface memory;
    memory.Move({0, 0, 9, 0});
    std::vector<uint32_t> row(10);
    for (uint32_t i = 0; i < 10; ++i) row[i] = i;
    memory.CopyBand({0, 0, 9, 0}, row.data());
    memory.CopyRegion({1, 0, 8, 0}, 2, 0);
    EXPECT_EQ(memory.Pixels(), (std::vector<uint32_t>{0, 1, 2, 1, 2, 3, 4, 5, 6, 7}));
    memory.CopyRegion({0, 0, 9, 0}, -3, 0);
    EXPECT_EQ(memory.Pixels(), (std::vector<uint32_t>{1, 2, 3, 4, 5, 6, 7, 5, 6, 7}));
    KFrameBufferSurface empty;
    EXPECT_FALSE(empty.CopyRegion({0, 0, 9, 9}, 1, 1));
}

TEST(DisplaySurface, AsksForFullRedrawOnlyForPixelsNeverDrawn) {
    Recorder events;
    KZDisplaySurface surface(&events);
    surface.Move({0, 0, 159, 99});
    surface.show();
    ASSERT_TRUE(WaitExposed(surface));
    EXPECT_EQ(events.redraws, 1);
    // The paint request names the part of the client area to be shown.
    EXPECT_FALSE(events.painted.IsEmpty());
    EXPECT_GE(events.painted.left, 0);
    EXPECT_LE(events.painted.right, 159);
    EXPECT_LE(events.painted.bottom, 99);
    // The engine's own copies are shown without another redraw.
    const std::vector<uint32_t> band = Pattern(160, 20);
    surface.CopyBand({0, 40, 159, 59}, band.data());
    surface.CopyRegion({0, 40, 159, 59}, 0, 20);
    ProcessEventsFor(50);
    EXPECT_EQ(events.redraws, 1);
    // What the window system was given: the band moved down by 20 rows.
    const QImage shown = surface.screen()->grabWindow(surface.winId()).toImage();
    ASSERT_EQ(shown.size(), QSize(160, 100));
    int differing = 0;
    for (int y = 60; y < 80; ++y)
        for (int x = 0; x < 160; ++x)
            differing += (shown.pixel(x, y) & 0xFFFFFF) != Shown(band[(y - 60) * 160 + x]);
    EXPECT_EQ(differing, 0);
    // Presented copies reach the window system at once, before the
    // toolkit's next turn.
    const std::vector<uint32_t> next = Pattern(160, 10);
    surface.CopyBand({0, 0, 159, 9}, next.data());
    surface.Present();
    const QImage presented = surface.screen()->grabWindow(surface.winId()).toImage();
    differing = 0;
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 160; ++x)
            differing += (presented.pixel(x, y) & 0xFFFFFF) != Shown(next[y * 160 + x]);
    EXPECT_EQ(differing, 0);
    // Hiding and showing again keeps the pixels.
    surface.hide();
    surface.show();
    ASSERT_TRUE(WaitExposed(surface));
    EXPECT_EQ(events.redraws, 1);
    surface.Move({10, 10, 209, 99});
    ProcessEventsFor(50);
    EXPECT_EQ(events.redraws, 2);
    EXPECT_EQ(surface.ClientSize().width, 200);
    EXPECT_EQ(surface.Image().width(), 200);
    // Staying on top keeps the window where it is, shown.
    surface.SetTopmost(true);
    ProcessEventsFor(50);
    EXPECT_TRUE(surface.isVisible());
    EXPECT_TRUE(surface.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(surface.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(surface.geometry(), QRect(10, 10, 200, 90));
    EXPECT_EQ(events.redraws, 2);
}

TEST(DisplaySurface, DeliversKeysAndMenuRequests) {
    Recorder events;
    KZDisplaySurface surface(&events);
    auto press = [&](int key, Qt::KeyboardModifiers modifiers, const QString& text) {
        QKeyEvent event(QEvent::KeyPress, key, modifiers, text);
        QApplication::sendEvent(&surface, &event);
    };
    press(Qt::Key_F2, Qt::ControlModifier | Qt::ShiftModifier, {});
    press(Qt::Key_A, Qt::NoModifier, "a");
    press(Qt::Key_X, Qt::AltModifier, "x");
    press(Qt::Key_F24, Qt::AltModifier, {});
    press(Qt::Key_Space, Qt::ShiftModifier, " ");
    // Neither a function key up to 24 nor a character 32..127: nothing.
    press(Qt::Key_F25, Qt::NoModifier, {});
    press(Qt::Key_Return, Qt::NoModifier, "\r");
    press(Qt::Key_Shift, Qt::ShiftModifier, {});
    press(Qt::Key_Adiaeresis, Qt::NoModifier, QString::fromUtf8("\xC3\xA4"));
    EXPECT_EQ(events.keys, (std::vector<Key>{{2, 0, kKeyShift | kKeyCtrl},
                                             {0, u'a', 0},
                                             {0, u'x', kKeyAlt},
                                             {24, 0, kKeyAlt},
                                             {0, u' ', kKeyShift}}));
    QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(3, 4), QPoint(203, 104));
    QApplication::sendEvent(&surface, &menu);
    EXPECT_EQ(events.menus, std::vector<QPoint>{QPoint(203, 104)});
}

TEST(DisplaySurface, HidesThePointerAsItsPlacementSays) {
    KZDisplaySurface surface;
    surface.Move({0, 0, 99, 99});
    EXPECT_EQ(surface.cursor().shape(), Qt::BlankCursor);
    // Covering the main monitor: hidden only while the window is active.
    surface.SetCoversMainMonitor(true);
    EXPECT_EQ(surface.cursor().shape(), Qt::ArrowCursor);
    surface.show();
    surface.activateWindow();
    QElapsedTimer timer;
    timer.start();
    while (!surface.isActiveWindow() && timer.elapsed() < 5000) QApplication::processEvents();
    ASSERT_TRUE(surface.isActiveWindow());
    EXPECT_EQ(surface.cursor().shape(), Qt::BlankCursor);
    QWidget other;
    other.show();
    other.activateWindow();
    timer.restart();
    while (surface.isActiveWindow() && timer.elapsed() < 5000) QApplication::processEvents();
    ASSERT_FALSE(surface.isActiveWindow());
    EXPECT_EQ(surface.cursor().shape(), Qt::ArrowCursor);
    surface.SetCoversMainMonitor(false);
    EXPECT_EQ(surface.cursor().shape(), Qt::BlankCursor);
}

// Writes the monitor list, one "left top right bottom" line each.
TEST(DISABLED_Child, WritesMonitors) {
    std::ofstream out(qEnvironmentVariable("TESSARON_CHILD_OUT").toStdString());
    for (const KRect& r : KZMonitors())
        out << r.left << ' ' << r.top << ' ' << r.right << ' ' << r.bottom << '\n';
}

TEST(Monitors, PrimaryFirstEachOnceInclusive) {
    const std::vector<KRect> one = KZMonitors();
    const QSize size = QGuiApplication::primaryScreen()->size();
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0], (KRect{0, 0, size.width() - 1, size.height() - 1}));

    // A desktop of three screens, the third a mirror of the first.
    KTestFolder folder;
    auto screen = [](int x, int y, int w, int h) {
        std::ostringstream s;
        s << R"({"name":"S)" << x << y << R"(","x":)" << x << R"(,"y":)" << y << R"(,"width":)" << w
          << R"(,"height":)" << h << R"(,"logicalDpi":96,"logicalBpi":96,"dpr":1})";
        return s.str();
    };
    const std::string config = folder.Put(
        "screens.json", R"({"screens":[)" + screen(0, 0, 1920, 1080) + "," +
                            screen(1920, -100, 1280, 720) + "," + screen(0, 0, 1920, 1080) + "]}");
    ASSERT_EQ(RunChild("DISABLED_Child.WritesMonitors",
                       {"QT_QPA_PLATFORM=offscreen:configfile=" + config,
                        "TESSARON_CHILD_OUT=" + folder.Path("monitors")}),
              0);
    EXPECT_EQ(folder.Get("monitors"), "0 0 1919 1079\n1920 -100 3199 619\n");
}

// The display engine showing a layout on a surface, placed at (20, 10)
// with 400 x 300 pixels, then a band copied over its lower right corner.
struct Board {
    static constexpr KRect kPlace{20, 10, 419, 309};
    static constexpr KRect kBand{200, 150, 455, 309};

    explicit Board(KScreenSurface& surface) {
        ApplyDefaultSettings(registry);
        for (const char* line :
             {"Display\\Monitor:Int=-1", "Display\\Left:Int=20", "Display\\Top:Int=10",
              "Display\\Width:Int=400", "Display\\Height:Int=300"})
            registry.ApplyLine(KTestText(line));
        fonts = std::make_unique<K3DFonts>(registry, folder.Path(), nullptr);
        window = std::make_unique<TZDisplayWindow>(registry, *fonts, surface, clock,
                                                   std::vector<KRect>{{0, 0, 639, 399}}, nullptr);
        TLayoutJson::FromJson(TLayoutJson::Json::parse(R"({"background": "Blue", "objects": [
            {"class": "TTextObject", "x": 16, "y": 20, "width": 368, "flags": 0,
             "text": "Lane 4  52.31", "font": {"name": "DejaVu Sans", "size": 50,
             "face": "Yellow", "border": "Black", "shadow": "Black"}}]})"),
                              layout);
        layout.SetDisplay(window.get());
        window->ShowLayout(&layout, -1);
    }
    void CopyBand(KScreenSurface& surface) const {
        surface.CopyBand(kBand, Pattern(kBand.Width(), kBand.Height()).data());
    }

    KRegistry registry;
    KTestFolder folder;
    KVirtualClock clock;
    std::unique_ptr<K3DFonts> fonts;
    std::unique_ptr<TZDisplayWindow> window;
    TLayout layout;
};

std::string Output(const std::string& command) {
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[256];
        while (fgets(buffer, sizeof buffer, pipe)) out += buffer;
        pclose(pipe);
    }
    return out;
}

// Under a real X server: the engine draws into the window when it first
// shows, a band is copied over it, and the child writes what the server
// holds of the whole screen.
TEST(DISABLED_Child, ShowsTheEngineOnX11) {
    ASSERT_EQ(QGuiApplication::platformName(), "xcb");
    KZDisplaySurface surface;
    Board board(surface);
    Recorder events;
    events.onRedraw = [&board, &events] { board.window->Paint(events.painted); };
    surface.SetEvents(&events);
    surface.show();
    ASSERT_TRUE(WaitExposed(surface));
    ASSERT_EQ(surface.geometry(), QRect(20, 10, 400, 300));
    // Settled: the first paint asked for the redraw, and the band is new
    // after it, so only the copy's own update can show it.
    ProcessEventsFor(300);
    ASSERT_EQ(events.redraws, 1);
    board.CopyBand(surface);
    ProcessEventsFor(200);
    // Kept on top, the window stays where it is, shown.
    surface.SetTopmost(true);
    ProcessEventsFor(100);
    // No decorations: the Motif hints say decorations (flag 2) are none.
    const std::string hints =
        Output("xprop -id " + std::to_string(surface.winId()) + " _MOTIF_WM_HINTS");
    std::smatch fields;
    ASSERT_TRUE(
        std::regex_search(hints, fields, std::regex(R"(= 0x([0-9a-f]+), 0x[0-9a-f]+, 0x0\b)")))
        << hints;
    EXPECT_TRUE(std::stoul(fields[1], nullptr, 16) & 2) << hints;
    ASSERT_TRUE(surface.screen()->grabWindow(0).save(qEnvironmentVariable("TESSARON_CHILD_OUT")));
}

TEST(DisplaySurfaceOnX11, ServerShowsWhatTheEngineComposed) {
    if (std::system("command -v Xvfb >/dev/null && command -v xprop >/dev/null") != 0)
        GTEST_SKIP() << "Xvfb or xprop is not installed";
    KTestFolder folder;
    const std::string shot = folder.Path("screen.png");
    int status = -1;
    {
        const KZTestXServer x({"640x400x24"});
        ASSERT_FALSE(x.Display().empty()) << "Xvfb did not start";
        status =
            RunChild("DISABLED_Child.ShowsTheEngineOnX11",
                     {"QT_QPA_PLATFORM=xcb", "DISPLAY=" + x.Display(), "TESSARON_CHILD_OUT=" + shot,
                      "LSAN_OPTIONS=suppressions=" TESSARON_LSAN_SUPPRESSIONS});
    }
    ASSERT_EQ(status, 0);
    // What the server showed: the engine's pixels at the window's place,
    // exactly as it composes them in memory, and black around them.
    KFrameBufferSurface memory;
    const Board board(memory);
    board.CopyBand(memory);
    const QImage screen =
        QImage(QString::fromStdString(shot)).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(screen.size(), QSize(640, 400));
    const KRect& place = Board::kPlace;
    int differing = 0;
    for (int y = 0; y < 400; ++y) {
        for (int x = 0; x < 640; ++x) {
            const bool inside =
                x >= place.left && x <= place.right && y >= place.top && y <= place.bottom;
            const uint32_t expected =
                inside ? Shown(memory.Pixel(x - place.left, y - place.top)) : 0;
            differing += (screen.pixel(x, y) & 0xFFFFFF) != expected;
        }
    }
    EXPECT_EQ(differing, 0);
    if (const char* keep = std::getenv("TESSARON_KEEP_SCREENSHOT"))
        screen.save(QString::fromUtf8(keep));
}

}  // namespace

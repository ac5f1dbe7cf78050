#include "TZDisplayWindow.h"

#include <gtest/gtest.h>

#include <memory>

#include "ImagesTestSupport.h"
#include "K3DFonts.h"
#include "KClock.h"
#include "KFrameBufferSurface.h"
#include "KRValues.h"
#include "KRegistry.h"
#include "KTestSupport.h"
#include "TDefaultSettings.h"
#include "TLayout.h"
#include "TLayoutJson.h"
#include "TTextObject.h"
#include "TTrigger.h"

namespace {

constexpr uint32_t kRed = 0xFF0000, kBlue = 0x0000FF;

// A frame buffer that also keeps the rectangles of the bands it received.
struct RecordingSurface : KFrameBufferSurface {
    void CopyBand(const KRect& physical, const uint32_t* pixels) override {
        bands.push_back(physical);
        KFrameBufferSurface::CopyBand(physical, pixels);
    }
    std::vector<KRect> bands;
};

class DisplayWindow : public ::testing::Test {
  protected:
    DisplayWindow() { ApplyDefaultSettings(registry); }

    void Set(const char* path, int32_t value) { registry.FindInt(KTestText(path))->Set(value); }
    // A window of width x height on a desktop of one monitor that size.
    TZDisplayWindow& Window(int32_t width = 640, int32_t height = 480) {
        return Window({{0, 0, width - 1, height - 1}});
    }
    TZDisplayWindow& Window(std::vector<KRect> monitors) {
        fonts = std::make_unique<K3DFonts>(registry, folder.Path(), nullptr);
        window = std::make_unique<TZDisplayWindow>(registry, *fonts, surface, clock,
                                                   std::move(monitors), nullptr);
        return *window;
    }
    // A layout on a black background with a red 10 x 10 square at (x, y).
    std::unique_ptr<TLayout> SquareLayout(int32_t x, int32_t y) {
        std::string targa = TargaHeader(2, 10, 10, 24, 0);
        for (int i = 0; i < 100; ++i) targa += std::string("\x00\x00\xff", 3);
        const std::string path = folder.Put("red.tga", targa);
        return Layout(R"({"background": "Black", "objects": [{"class": "TBitmapObject",
            "flags": 0, "file": ")" +
                      path + "\", \"x\": " + std::to_string(x) + ", \"y\": " + std::to_string(y) +
                      "}]}");
    }
    std::unique_ptr<TLayout> Layout(const std::string& json) {
        auto layout = std::make_unique<TLayout>();
        TLayoutJson::FromJson(TLayoutJson::Json::parse(json), *layout);
        layout->SetDisplay(window.get());
        return layout;
    }
    int32_t CountPixels(uint32_t rgb) const {
        return static_cast<int32_t>(
            std::count(surface.Pixels().begin(), surface.Pixels().end(), rgb));
    }

    KRegistry registry;
    KTestFolder folder;
    KVirtualClock clock;
    RecordingSurface surface;
    std::unique_ptr<K3DFonts> fonts;
    std::unique_ptr<TZDisplayWindow> window;
};

TEST_F(DisplayWindow, PlacementFollowsMonitorRectangleAndLimits) {
    const std::vector<KRect> desktop = {{0, 0, 1919, 1079}, {1920, 0, 3199, 1023}};
    Set("\\Display\\Monitor", 5);
    Set("\\Display\\AlwaysOnTop", 1);
    TZDisplayWindow& w = Window(desktop);
    EXPECT_EQ(surface.Placement(), desktop[0]);  // no monitor 5: the main one
    EXPECT_TRUE(w.CoversMainMonitor());
    EXPECT_FALSE(surface.IsTopmost());  // on top only for a rectangle of its own

    Set("\\Display\\Monitor", 1);
    w.Place();
    EXPECT_EQ(surface.Placement(), desktop[1]);
    EXPECT_FALSE(w.CoversMainMonitor());

    Set("\\Display\\Monitor", -1);
    Set("\\Display\\Left", 100);
    Set("\\Display\\Width", 5000);
    w.Place();
    EXPECT_EQ(surface.Placement(), (KRect{100, 0, 4194, 479}));
    EXPECT_EQ(surface.ClientSize().width, 4095);
    EXPECT_TRUE(surface.IsTopmost());

    Set("\\Display\\Rotate", 3);
    EXPECT_EQ(w.Rotation(), 0);
}

TEST_F(DisplayWindow, StartUpTakesTheLargestSizeAndTurnsATallDisplay) {
    Set("\\Display\\UseMax", 1);
    Set("\\Display\\AutoRotate", 2);
    TZDisplayWindow::AdjustAtStartUp(registry, {1080, 1920});
    EXPECT_EQ(registry.FindInt(KTestText("\\Display\\Width"))->value, 1080);
    EXPECT_EQ(registry.FindInt(KTestText("\\Display\\Height"))->value, 1920);
    EXPECT_EQ(registry.FindInt(KTestText("\\Display\\Rotate"))->value, 2);
    TZDisplayWindow::AdjustAtStartUp(registry, {1920, 1080});
    EXPECT_EQ(registry.FindInt(KTestText("\\Display\\Rotate"))->value, 0);
}

TEST_F(DisplayWindow, ScreensShareTheWidthAndShowTheSameLayoutArea) {
    Set("\\Display\\Screens", 3);
    TZDisplayWindow& w = Window(1000, 300);
    EXPECT_EQ(w.ScreenWidth(0), 333);
    EXPECT_EQ(w.ScreenWidth(1), 333);
    EXPECT_EQ(w.ScreenWidth(2), 334);
    EXPECT_EQ(w.ScreenWidth(-1), 334);
    EXPECT_EQ(w.ScreenWidth(3), 0);
    EXPECT_EQ(w.LayoutArea(), (KRect{0, 0, 333, 299}));

    Set("\\Display\\Screens", 2);
    auto layout = SquareLayout(0, 0);
    w.ShowLayout(layout.get(), -1);
    EXPECT_EQ(surface.Pixel(0, 0), kRed);
    EXPECT_EQ(surface.Pixel(500, 9), kRed);
    EXPECT_EQ(CountPixels(kRed), 200);

    // A changed object is drawn again on both screens.
    surface.bands.clear();
    auto* square = layout->State().objects.Head();
    w.ObjectChanged(*square);
    ASSERT_EQ(surface.bands.size(), 2u);
    EXPECT_EQ(surface.bands[0], (KRect{0, 0, 9, 9}));
    EXPECT_EQ(surface.bands[1], (KRect{500, 0, 509, 9}));

    // More screens than columns add nothing: one copy per column, not two
    // billion of them.
    Set("\\Display\\Screens", 2147483647);
    EXPECT_EQ(w.ScreenCount(), 1000);
    EXPECT_EQ(w.LayoutArea(), (KRect{0, 0, 0, 299}));
    surface.bands.clear();
    w.FullRedraw();
    EXPECT_EQ(surface.bands.size(), 1000u);
}

TEST_F(DisplayWindow, RotationTurnsTheLayoutOntoTheWindow) {
    auto layout = SquareLayout(0, 0);
    for (const auto& [rotate, x, y] : {std::tuple{1, 0, 479}, {2, 639, 0}, {0, 0, 0}}) {
        Set("\\Display\\Rotate", rotate);
        TZDisplayWindow& w = Window();
        layout->SetDisplay(&w);
        w.ShowLayout(layout.get(), -1);
        EXPECT_EQ(surface.Pixel(x, y), kRed) << rotate;
        EXPECT_EQ(CountPixels(kRed), 100) << rotate;
    }
    // Turned left, the layout's top-left square sits at the bottom-left.
    EXPECT_EQ(window->ToPhysical({0, 0, 9, 9}), (KRect{0, 0, 9, 9}));
    Set("\\Display\\Rotate", 1);
    EXPECT_EQ(window->ToPhysical({0, 0, 9, 9}), (KRect{0, 470, 9, 479}));
}

TEST_F(DisplayWindow, LargeLayoutsAreDrawnInBandsThatFitTheCache) {
    TZDisplayWindow& w = Window(1000, 600);
    w.FullRedraw();
    ASSERT_EQ(surface.bands.size(), 3u);
    EXPECT_EQ(surface.bands[0], (KRect{0, 0, 999, 261}));
    EXPECT_EQ(surface.bands[1], (KRect{0, 262, 999, 523}));
    EXPECT_EQ(surface.bands[2], (KRect{0, 524, 999, 599}));
}

TEST_F(DisplayWindow, LogoSitsInItsCornerOnTallEnoughWindows) {
    Set("\\Display\\LogoCorner", 3);
    TZDisplayWindow& w = Window();
    EXPECT_EQ(w.LogoRectangle(), (KRect{439, 403, 614, 454}));
    w.FullRedraw();  // no layout: the background and the logo
    EXPECT_NE(surface.Pixel(614, 454), kBlue);
    EXPECT_EQ(surface.Pixel(615, 455), kBlue);
    EXPECT_EQ(surface.Pixel(438, 402), kBlue);
    const int32_t background = CountPixels(kBlue);
    EXPECT_EQ(background, 640 * 480 - w.LogoRectangle().Width() * w.LogoRectangle().Height());

    Set("\\Display\\Monitor", -1);
    Set("\\Display\\Height", 200);
    w.Place();
    w.FullRedraw();
    EXPECT_EQ(CountPixels(kBlue), 640 * 200);
    Set("\\Display\\Height", 250);
    w.Place();
    w.FullRedraw();
    EXPECT_LT(CountPixels(kBlue), 640 * 250);
}

TEST_F(DisplayWindow, ShowingWaitsForItsDelayOrTheFirstChange) {
    TZDisplayWindow& w = Window();
    auto first = SquareLayout(0, 0);
    auto second = SquareLayout(100, 100);
    w.ShowLayout(first.get(), -1);
    surface.bands.clear();
    w.ShowLayout(first.get(), 0);  // already shown: nothing at all
    EXPECT_TRUE(surface.bands.empty());

    clock.SetMs(1000);
    w.ShowLayout(second.get(), 500);
    EXPECT_EQ(w.CurrentLayout(), second.get());
    clock.SetMs(1499);
    w.Tick();
    EXPECT_TRUE(surface.bands.empty());  // the old picture stays
    EXPECT_EQ(surface.Pixel(0, 0), kRed);
    clock.SetMs(1500);
    w.Tick();
    EXPECT_FALSE(surface.bands.empty());
    EXPECT_EQ(surface.Pixel(0, 0), 0u);
    EXPECT_EQ(surface.Pixel(100, 100), kRed);

    // Without a delay the old picture stays until the next tick.
    clock.SetMs(2000);
    w.ShowLayout(first.get(), 0);
    surface.bands.clear();
    w.Tick();
    EXPECT_TRUE(surface.bands.empty());
    clock.SetMs(2001);
    w.Tick();
    EXPECT_EQ(surface.Pixel(0, 0), kRed);
    w.ShowLayout(second.get(), -1);

    // A change to the new layout ends the wait at once, with the whole layout.
    w.ShowLayout(first.get(), 500);
    surface.bands.clear();
    w.ObjectChanged(*first->State().objects.Head());
    EXPECT_EQ(surface.Pixel(0, 0), kRed);
    EXPECT_EQ(surface.Pixel(100, 100), 0u);
    surface.bands.clear();
    clock.SetMs(5000);
    w.Tick();  // the wait is over
    EXPECT_TRUE(surface.bands.empty());

    // Changes to a layout not shown draw nothing.
    w.ObjectChanged(*second->State().objects.Head());
    EXPECT_TRUE(surface.bands.empty());

    // Without a layout the last background stays, with the logo.
    w.ShowLayout(nullptr, -1);
    EXPECT_EQ(surface.Pixel(0, 0), 0u);
    EXPECT_EQ(CountPixels(kRed), 0);
}

// A text taller than a band is drawn band by band, but its glyph is
// rasterised once per draw, however small the glyph cache; after the draw
// the cache is back within its budget.
TEST_F(DisplayWindow, ATextOverManyBandsIsRasterisedOncePerDraw) {
    Set("\\Display\\CacheSize", 0);  // 262144 bytes: bands of 102 rows
    TZDisplayWindow& w = Window();
    fonts->Cache().SetBudget(4096);
    auto layout = Layout(R"({"background": "Black", "objects": [
        {"class": "TTextObject", "x": 0, "y": 0, "width": 640, "flags": 0, "text": "8",
         "font": {"name": "DejaVu Sans", "size": 440, "face": "Red"}}]})");
    const int64_t before = fonts->Rasterised();
    w.ShowLayout(layout.get(), -1);
    EXPECT_EQ(surface.bands.size(), 5u);
    EXPECT_GT(CountPixels(kRed), 10000);
    EXPECT_EQ(fonts->Rasterised() - before, 1);
    EXPECT_LE(fonts->Cache().Bytes(), 4096u);
    w.FullRedraw();
    EXPECT_EQ(fonts->Rasterised() - before, 2);
}

TEST_F(DisplayWindow, TextIsDrawnAndHiddenObjectsAreNot) {
    TZDisplayWindow& w = Window();
    auto layout = Layout(R"({"background": "Black", "objects": [
        {"class": "TTextObject", "x": 20, "y": 20, "width": 300, "flags": 0, "text": "Heat 4",
         "font": {"name": "DejaVu Sans", "size": 50, "face": "Red", "border": "Red",
                  "shadow": "Red"}},
        {"class": "TTextObject", "x": 20, "y": 200, "width": 300, "flags": 0, "text": "Hidden",
         "trigger": "F1", "font": {"name": "DejaVu Sans", "size": 50, "face": "Red"}}]})");
    w.ShowLayout(layout.get(), -1);
    const int32_t red = CountPixels(kRed);
    EXPECT_GT(red, 500);
    for (int32_t y = 0; y < 480; ++y) {
        for (int32_t x = 0; x < 640; ++x) {
            if (surface.Pixel(x, y) == kRed) {
                ASSERT_TRUE(x >= 20 && x < 320 && y >= 20 && y < 70) << x << "," << y;
            }
        }
    }
    TTrigger f1;
    f1.name = KTestText("f1");
    layout->Trigger(f1, 0);  // shows the second text
    EXPECT_GT(CountPixels(kRed), red + 500);
}

}  // namespace

#include "TZScroller.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "ImagesTestSupport.h"
#include "K3DFonts.h"
#include "KClock.h"
#include "KFrameBufferSurface.h"
#include "KLog.h"
#include "KRValues.h"
#include "KRegistry.h"
#include "KTestSupport.h"
#include "TDefaultSettings.h"
#include "TLayout.h"
#include "TLayoutJson.h"
#include "TZDisplayWindow.h"

namespace {

// A frame buffer whose region copies can be made to fail.
struct TestSurface : KFrameBufferSurface {
    bool CopyRegion(const KRect& rect, int32_t dx, int32_t dy) override {
        return !refuse && KFrameBufferSurface::CopyRegion(rect, dx, dy);
    }
    bool refuse = false;
};

struct AreaRecorder : TZDisplayListener {
    void AreaDrawn(const KRect& rect) override { areas.push_back(rect); }
    void CurrentChanged(TLayout*) override {}
    std::vector<KRect> areas;
};

// The display window on a frame buffer of its own size (Monitor -1, too low
// for the logo), showing a picture in which every pixel of the layout area
// differs from every other.
class Scrolling : public ::testing::Test {
  protected:
    Scrolling() { ApplyDefaultSettings(registry); }

    void Set(const char* path, int32_t value) { registry.FindInt(KTestText(path))->Set(value); }
    TZDisplayWindow& Show(int32_t width, int32_t height) {
        Set("\\Display\\Monitor", -1);
        Set("\\Display\\Width", width);
        Set("\\Display\\Height", height);
        fonts = std::make_unique<K3DFonts>(registry, folder.Path(), nullptr);
        window = std::make_unique<TZDisplayWindow>(
            registry, *fonts, surface, clock, std::vector<KRect>{{0, 0, 1919, 1079}}, log.get());
        const KRect area = window->LayoutArea();
        layout = GradientLayout(area.Width(), area.Height());
        layout->SetDisplay(window.get());
        window->ShowLayout(layout.get(), -1);
        return *window;
    }
    // Pixel (x, y) of the picture is (y + 1) << 16 | x.
    std::unique_ptr<TLayout> GradientLayout(int32_t width, int32_t height) {
        std::string targa = TargaHeader(2, width, height, 24, 0x20);
        for (int32_t y = 0; y < height; ++y) {
            for (int32_t x = 0; x < width; ++x)
                targa +=
                    {static_cast<char>(x), static_cast<char>(x >> 8), static_cast<char>(y + 1)};
        }
        const std::string path = folder.Put("gradient.tga", targa);
        auto result = std::make_unique<TLayout>();
        TLayoutJson::FromJson(TLayoutJson::Json::parse(R"({"background": "Black", "objects": [
            {"class": "TBitmapObject", "flags": 0, "x": 0, "y": 0, "file": ")" +
                                                       path + "\"}]}"),
                              *result);
        return result;
    }
    // The window's pixel at logical (x, y).
    uint32_t Logical(int32_t x, int32_t y) const {
        const KRect p = window->ToPhysical({x, y, x, y});
        return surface.Pixel(p.left, p.top);
    }
    void TickAt(int64_t ms) {
        clock.SetMs(ms);
        window->Tick();
    }

    KRegistry registry;
    KTestFolder folder;
    std::unique_ptr<KLog> log = std::make_unique<KLog>(KTestText(folder.Path("tessaron.log")));
    KVirtualClock clock;
    TestSurface surface;
    std::unique_ptr<K3DFonts> fonts;
    std::unique_ptr<TZDisplayWindow> window;
    std::unique_ptr<TLayout> layout;
};

// The key property: whatever the screens, rotation and step, the scrolled
// picture is the unscrolled one turned round by the offset, and a full
// redraw at that offset draws exactly what the steps left.
TEST_F(Scrolling, StepsShowWhatAFullRedrawAtTheOffsetShows) {
    Set("\\Display\\Scroll\\Mode", 1);
    Set("\\Display\\Scroll\\Start", 0);
    Set("\\Display\\Scroll\\Delay", 0);  // a step on every pass
    for (const int32_t width : {101, 102}) {
        for (const int32_t rotate : {0, 1, 2}) {
            for (const int32_t screens : {1, 2, 3}) {
                for (const int32_t step : {1, 7, 1000, -1, -7, -1000}) {
                    Set("\\Display\\Rotate", rotate);
                    Set("\\Display\\Screens", screens);
                    rotate == 0 ? Show(width, 5) : Show(5, width);
                    std::vector<uint32_t> still(width * 5);
                    for (int32_t y = 0; y < 5; ++y)
                        for (int32_t x = 0; x < width; ++x) still[y * width + x] = Logical(x, y);
                    Set("\\Display\\Scroll\\Step", step);
                    const int32_t distance =
                        std::min(std::abs(step), window->LayoutArea().Width() / 2);
                    const std::string where =
                        std::to_string(width) + " wide, rotate " + std::to_string(rotate) + ", " +
                        std::to_string(screens) + " screens, step " + std::to_string(step);
                    for (int32_t n = 1; n <= 2 * width; ++n) {
                        window->Tick();
                        const int32_t offset = window->Scroller().Offset();
                        ASSERT_EQ(offset, ((step > 0 ? -n : n) * distance % width + width) % width)
                            << where;
                        for (int32_t y = 0; y < 5; ++y) {
                            for (int32_t x = 0; x < width; ++x) {
                                ASSERT_EQ(Logical(x, y),
                                          still[y * width + (x - offset + width) % width])
                                    << where << ", step " << n << ", at " << x << "," << y;
                            }
                        }
                        if (n % 25 != 0) continue;
                        const std::vector<uint32_t> stepped = surface.Pixels();
                        window->FullRedraw();
                        ASSERT_EQ(surface.Pixels(), stepped) << where << ", step " << n;
                    }
                }
            }
        }
    }
}

TEST_F(Scrolling, StartThenEveryDelayOnePixelLeft) {
    Set("\\Display\\Scroll\\Mode", 1);
    TZDisplayWindow& w = Show(200, 50);
    const uint32_t first = Logical(0, 0), second = Logical(1, 0);
    for (const int64_t ms : {0, 250, 499}) TickAt(ms);
    EXPECT_EQ(w.Scroller().Offset(), 0);
    EXPECT_FALSE(w.Scroller().IsStarted());
    TickAt(500);
    EXPECT_EQ(w.Scroller().Offset(), 199);
    EXPECT_EQ(Logical(0, 0), second);
    EXPECT_EQ(Logical(199, 0), first);  // what left at one edge enters at the other
    TickAt(533);
    EXPECT_EQ(w.Scroller().Offset(), 199);
    TickAt(534);
    TickAt(567);
    EXPECT_EQ(w.Scroller().Offset(), 198);
    TickAt(568);
    EXPECT_EQ(w.Scroller().Offset(), 197);
}

// A refresh of the window (made again, or resized) resets the scrolling:
// the ticker keeps its place when it can, and starts again at the left
// edge from a place the narrower window no longer has.
TEST_F(Scrolling, AWindowRefreshResetsTheScrolling) {
    Set("\\Display\\Scroll\\Mode", 1);
    Set("\\Display\\Scroll\\Step", 300);
    TZDisplayWindow& w = Show(640, 50);
    TickAt(500);
    ASSERT_EQ(w.Scroller().Offset(), 340);
    w.Paint({0, 0, 639, 49});
    EXPECT_EQ(w.Scroller().Offset(), 340);
    Set("\\Display\\Width", 100);
    w.Place();
    w.Paint({0, 0, 99, 49});
    EXPECT_EQ(w.Scroller().Offset(), 0);
    EXPECT_EQ(Logical(0, 0), 1u << 16);
    w.Paint({0, 0, -1, -1});  // nothing to paint: nothing happens
    EXPECT_EQ(Logical(0, 0), 1u << 16);
}

TEST_F(Scrolling, RotationChoosesTheDirectionAndANegativeStepTurnsIt) {
    Set("\\Display\\Scroll\\Mode", 1);
    Set("\\Display\\Scroll\\Start", 0);
    // The physical motion of the picture for each rotation and step; steps
    // are at most half the layout area.
    for (const auto& [rotate, step, dx, dy] : {std::tuple{0, 1, -1, 0},
                                               {0, -1, 1, 0},
                                               {1, 1, 0, 1},
                                               {1, -1, 0, -1},
                                               {2, 1, 0, -1},
                                               {2, -1, 0, 1},
                                               {0, 1000, -320, 0}}) {
        Set("\\Display\\Rotate", rotate);
        Set("\\Display\\Scroll\\Step", step);
        const KSize size = rotate == 0 ? KSize{640, 8} : KSize{8, 640};
        Show(size.width, size.height);
        const KFrameBufferSurface before = surface;
        window->Tick();
        for (int32_t y = std::max(0, dy); y < size.height + std::min(0, dy); ++y) {
            for (int32_t x = std::max(0, dx); x < size.width + std::min(0, dx); ++x)
                ASSERT_EQ(surface.Pixel(x, y), before.Pixel(x - dx, y - dy))
                    << rotate << " " << step << " at " << x << "," << y;
        }
    }
}

TEST_F(Scrolling, SimpleModeRotatesThePictureByOnePixel) {
    Set("\\Display\\Scroll\\Start", 0);
    Set("\\Display\\Scroll\\Reset", 1);
    for (const auto& [mode, dx, dy] : {std::tuple{2, -1, 0}, {3, 1, 0}, {4, 0, -1}, {5, 0, 1}}) {
        Set("\\Display\\Scroll\\Mode", mode);
        Show(30, 20);
        const KFrameBufferSurface before = surface;
        window->Tick();
        EXPECT_EQ(window->Scroller().Offset(), 0);
        for (int32_t y = 0; y < 20; ++y) {
            for (int32_t x = 0; x < 30; ++x) {
                // Moved by one; the line it moved away from repeats the
                // line at the far edge, after the move.
                int32_t fromX = x - dx, fromY = y - dy;
                if (fromX < 0) fromX = 28;
                if (fromX > 29) fromX = 1;
                if (fromY < 0) fromY = 18;
                if (fromY > 19) fromY = 1;
                ASSERT_EQ(surface.Pixel(x, y), before.Pixel(fromX, fromY))
                    << mode << " at " << x << "," << y;
            }
        }
    }
    // Without Reset, or with another step, Mode 3 scrolls as Mode 1 does.
    Set("\\Display\\Scroll\\Mode", 3);
    for (const auto& [reset, step, offset] : {std::tuple{0, 1, 29}, {1, 2, 28}}) {
        Set("\\Display\\Scroll\\Reset", reset);
        Set("\\Display\\Scroll\\Step", step);
        Show(30, 20);
        const uint32_t third = Logical(2, 0);
        window->Tick();
        EXPECT_EQ(window->Scroller().Offset(), offset);
        EXPECT_EQ(Logical(2 - (30 - offset), 0), third);
    }
}

// Two screens of 50 and 51 columns; forward steps of 7. At offset 45 the
// second screen's copy begins at column 95, inside the entering strip
// 94..100: its columns 0..5 come from the second screen, column 94 from the
// first screen's last columns (49 and 50, the latter on the second screen's
// first column before that screen's own column 0 covers it).
TEST_F(Scrolling, AStripAcrossTheWrapPointComesFromBothScreens) {
    Set("\\Display\\Scroll\\Mode", 1);
    Set("\\Display\\Scroll\\Start", 0);
    Set("\\Display\\Scroll\\Delay", 0);
    Set("\\Display\\Scroll\\Step", 7);
    Set("\\Display\\Screens", 2);
    TZDisplayWindow& w = Show(101, 10);
    ASSERT_EQ(w.LayoutArea().Width(), 51);
    AreaRecorder recorder;
    w.SetListener(&recorder);
    for (int32_t n = 0; n < 8; ++n) w.Tick();
    ASSERT_EQ(w.Scroller().Offset(), 45);
    ASSERT_GE(recorder.areas.size(), 2u);
    EXPECT_EQ(recorder.areas[recorder.areas.size() - 2], (KRect{49, 0, 50, 9}));
    EXPECT_EQ(recorder.areas.back(), (KRect{0, 0, 5, 9}));
    auto column = [](int32_t x) { return 0x010000u | static_cast<uint32_t>(x); };
    EXPECT_EQ(Logical(94, 0), column(49));
    EXPECT_EQ(Logical(95, 0), column(0));
    EXPECT_EQ(Logical(100, 0), column(5));
}

TEST_F(Scrolling, AnUpdateWithResetShowsTheLayoutUnscrolledAndWaitsAgain) {
    Set("\\Display\\Scroll\\Mode", 1);
    Set("\\Display\\Scroll\\Reset", 1);
    TZDisplayWindow& w = Show(100, 10);
    const std::vector<uint32_t> still = surface.Pixels();
    TickAt(500);
    TickAt(534);
    EXPECT_EQ(w.Scroller().Offset(), 98);
    EXPECT_TRUE(w.Scroller().ResetPending());

    TLayoutObject& object = *layout->State().objects.Head();
    clock.SetMs(600);
    w.ObjectChanged(object);
    EXPECT_EQ(surface.Pixels(), still);
    EXPECT_EQ(w.Scroller().Offset(), 0);
    EXPECT_FALSE(w.Scroller().IsStarted());
    clock.SetMs(900);
    w.ObjectChanged(object);  // a later update restarts the wait
    TickAt(1399);
    EXPECT_EQ(w.Scroller().Offset(), 0);
    TickAt(1400);
    EXPECT_EQ(w.Scroller().Offset(), 99);
}

TEST_F(Scrolling, NoSlipKeepsTheCadenceOfALateStep) {
    Set("\\Display\\Scroll\\Mode", 1);
    for (const bool noSlip : {false, true}) {
        Set("\\Display\\Optimize", noSlip ? 2 : 0);
        TZDisplayWindow& w = Show(100, 10);
        TickAt(0);
        TickAt(500);  // started; the previous reference is 500
        TickAt(554);  // 54 ms late: one and a half intervals
        EXPECT_EQ(w.Scroller().Offset(), 98);
        TickAt(587);
        // Due at 568 with "No slip" (534 + 34), else at 588 (554 + 34).
        EXPECT_EQ(w.Scroller().Offset(), noSlip ? 97 : 98);
        TickAt(588);
        EXPECT_EQ(w.Scroller().Offset(), 97);
        // Two intervals late or more starts the cadence again from now.
        const int64_t reference = noSlip ? 568 : 588;
        TickAt(reference + 74);
        TickAt(reference + 74 + 33);
        EXPECT_EQ(w.Scroller().Offset(), 96);
        TickAt(reference + 74 + 34);
        EXPECT_EQ(w.Scroller().Offset(), 95);
        clock.SetMs(0);
    }
}

TEST_F(Scrolling, AFailedRegionCopyIsLoggedAndTheStripStillDrawn) {
    Set("\\Display\\Scroll\\Mode", 1);
    Set("\\Display\\Scroll\\Start", 0);
    Show(100, 10);
    surface.refuse = true;
    window->Tick();
    EXPECT_EQ(window->Scroller().Offset(), 99);
    EXPECT_EQ(Logical(99, 0), 0x010000u);  // the strip: layout column 0
    EXPECT_EQ(Logical(0, 0), 0x010000u);   // not moved
    log.reset();
    const std::string text = folder.Get("tessaron.log");
    EXPECT_EQ(text.rfind("E: ", 0), 0u) << text;
    EXPECT_NE(text.find(": KZWindowObjectLeech::DrawRegionCopy: RegionCopy failed"),
              std::string::npos)
        << text;
}

TEST_F(Scrolling, ANewLayoutKeepsTheTickerPositionOnlyInOffsetMode) {
    Set("\\Display\\Scroll\\Mode", 1);
    Set("\\Display\\Scroll\\Start", 0);
    TZDisplayWindow& w = Show(100, 10);
    w.Tick();
    ASSERT_EQ(w.Scroller().Offset(), 99);
    auto other = GradientLayout(100, 10);
    other->SetDisplay(&w);
    w.ShowLayout(other.get(), -1);
    EXPECT_EQ(w.Scroller().Offset(), 99);
    EXPECT_EQ(Logical(99, 0), 0x010000u);  // drawn at the ticker's position
    EXPECT_TRUE(w.Scroller().IsStarted());

    Set("\\Display\\Scroll\\Mode", 0);
    w.ShowLayout(layout.get(), -1);
    EXPECT_EQ(w.Scroller().Offset(), 0);
    EXPECT_FALSE(w.Scroller().IsStarted());
    EXPECT_EQ(Logical(0, 0), 0x010000u);
}

}  // namespace

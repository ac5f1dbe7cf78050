#include "KVideoDisplay.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "ImagesTestSupport.h"
#include "K3DFonts.h"
#include "KPictureCache.h"
#include "SnapshotTestSupport.h"
#include "TextTestSupport.h"

namespace {

constexpr uint32_t kRed = 0xFF0000, kBlue = 0x0000FF, kGreen = 0x00FF00, kWhite = 0xFFFFFF;

// A command as the board protocol frames it.
std::string Cmd(const std::string& name, const std::string& value = "") {
    return "\x12" + name + (value.empty() ? "" : "=" + value) + "\x14";
}

// A top-down 24-bit Targa of w × h pixels of one colour.
std::string Targa(int w, int h, uint32_t rgb) {
    std::string bytes = TargaHeader(2, w, h, 24, 0x20);
    for (int i = 0; i < w * h; ++i) {
        bytes += char(rgb & 0xFF), bytes += char((rgb >> 8) & 0xFF), bytes += char(rgb >> 16);
    }
    return bytes;
}

class VideoDisplay : public ::testing::Test {
  protected:
    void SetUp() override {
        fonts = std::make_unique<K3DFonts>(settings.registry, folder.Path(), nullptr);
        display = NewDisplay();
    }
    std::unique_ptr<KVideoDisplay> NewDisplay() {
        return std::make_unique<KVideoDisplay>(fonts.get(), KTestText(folder.Path()));
    }
    static void Send(KVideoDisplay& d, const std::string& text) {
        EXPECT_TRUE(d.Feed(KTestText(text)));
    }
    void Send(const std::string& text) { Send(*display, text); }
    // The x range of the pixels of row y that hold this value; {-1, -1} when none.
    std::pair<int32_t, int32_t> Span(int32_t y, uint32_t pixel) const {
        std::pair<int32_t, int32_t> span{-1, -1};
        for (int32_t x = 0; x < display->Width(); ++x) {
            if (display->Pixel(x, y) != pixel) continue;
            if (span.first < 0) span.first = x;
            span.second = x;
        }
        return span;
    }
    size_t Count(uint32_t pixel) const {
        size_t n = 0;
        for (int32_t y = 0; y < display->Height(); ++y)
            for (int32_t x = 0; x < display->Width(); ++x) n += display->Pixel(x, y) == pixel;
        return n;
    }
    std::vector<uint32_t> Pixels(const KVideoDisplay& d) const {
        std::vector<uint32_t> out;
        for (int32_t y = 0; y < d.Height(); ++y)
            for (int32_t x = 0; x < d.Width(); ++x) out.push_back(d.Pixel(x, y));
        return out;
    }

    KTestFolder folder;
    DefaultSettings settings;
    std::unique_ptr<K3DFonts> fonts;
    std::unique_ptr<KVideoDisplay> display;
};

TEST_F(VideoDisplay, SetupSizesRotationAndRelease) {
    EXPECT_FALSE(display->Feed(KTestText(Cmd("LayoutFlush"))));  // no picture yet
    EXPECT_FALSE(display->Setup(16385, 10, 0));
    EXPECT_FALSE(display->HasBuffer());
    EXPECT_EQ(display->Width(), 0);
    EXPECT_FALSE(display->Setup(10, 0, 0));
    ASSERT_TRUE(display->Setup(30, 20, 7));  // an unknown rotation is none
    EXPECT_EQ(display->Rotation(), 0);
    EXPECT_EQ(display->Buffer().Width(), 30);
    ASSERT_TRUE(display->Setup(30, 20, 1));
    EXPECT_EQ(display->Width(), 20);  // sides exchanged
    EXPECT_EQ(display->Height(), 30);
    EXPECT_EQ(display->Buffer().Width(), 30);  // the owner's orientation
    EXPECT_EQ(display->Buffer().Height(), 20);
    // The same size keeps the picture; another gives a new black one.
    Send(Cmd("LayoutBackColor", "Red") + Cmd("ImageDraw", "missing.tga"));
    EXPECT_EQ(Count(kRed), 600u);
    ASSERT_TRUE(display->Setup(30, 20, 1));
    EXPECT_EQ(Count(kRed), 600u);
    ASSERT_TRUE(display->Setup(30, 20, 2));
    EXPECT_EQ(Count(kRed), 0u);
    display->Release();
    EXPECT_FALSE(display->HasBuffer());
    EXPECT_EQ(display->Rotation(), 0);
    EXPECT_FALSE(display->Feed(KTestText(Cmd("LayoutFlush"))));
    KVideoDisplay fontless(nullptr, KTestText(folder.Path()));
    ASSERT_TRUE(fontless.Setup(10, 10, 0));
    EXPECT_FALSE(fontless.Feed(KTestText(Cmd("LayoutFlush"))));
}

TEST_F(VideoDisplay, RotatedPicturesKeepTheOwnersOrientation) {
    // Cell (0, 0) of a 2 × 2 grid in red, cell (1, 0) in blue.
    const std::string cells = Cmd("LayoutSetup", "2,2") + Cmd("LayoutBackColor", "Red") +
                              Cmd("ImageDraw", "none") + Cmd("LayoutBackColor", "Blue") +
                              Cmd("ImageDraw", "none");
    ASSERT_TRUE(display->Setup(4, 6, 1));  // logical 6 × 4, turned left
    Send(cells);
    const KBitmap& left = display->Buffer();
    EXPECT_EQ(left.GetPixel(0, 5), kRed);  // logical top-left at the bottom-left
    EXPECT_EQ(left.GetPixel(1, 3), kRed);
    EXPECT_EQ(left.GetPixel(0, 2), kBlue);  // logical top-right at the top-left
    EXPECT_EQ(left.GetPixel(2, 5), 0u);
    ASSERT_TRUE(display->Setup(4, 6, 2));
    Send(cells);
    const KBitmap& right = display->Buffer();
    EXPECT_EQ(right.GetPixel(3, 0), kRed);  // logical top-left at the top-right
    EXPECT_EQ(right.GetPixel(3, 5), kBlue);
    EXPECT_EQ(right.GetPixel(0, 0), 0u);
}

TEST_F(VideoDisplay, Receiving) {
    ASSERT_TRUE(display->Setup(40, 20, 0));
    // Characters outside a command, a DC4 when idle, unknown names.
    Send("LayoutFlush\x14" + Cmd("NoSuchCommand") + Cmd("layoutflushx"));
    EXPECT_FALSE(display->TakeFlush());
    // Names ignore letter case; a command may be split over values.
    Send("\x12layout");
    Send("FLUSH\x14");
    EXPECT_TRUE(display->TakeFlush());
    EXPECT_FALSE(display->TakeFlush());
    // A name longer than 63 characters matches nothing, however it starts.
    Send(Cmd("LayoutFlush" + std::string(60, ' ')));
    EXPECT_FALSE(display->TakeFlush());
    // A second "=" belongs to the value: the left margin is 4, the right 7.
    Send(Cmd("TextMargins", "4=9,7"));
    EXPECT_EQ(display->CurrentText().marginLeft, 4);
    EXPECT_EQ(display->CurrentText().marginRight, 7);
    // DC2 starts over; a value past 255 characters is cut, the rest of
    // the stream still works.
    Send("\x12TextMargins=1\x12TextMargins=5," + std::string(300, ' ') + ",3\x14");
    EXPECT_EQ(display->CurrentText().marginLeft, 5);
    EXPECT_EQ(display->CurrentText().marginRight, 7);
    Send(std::string(1000000, '\x12') + "LayoutFlush\x14");
    EXPECT_TRUE(display->TakeFlush());
}

// A command stream arrives in field values cut anywhere: cut at any point
// into two values, it draws what it draws as one value.
TEST_F(VideoDisplay, AStreamCutAnywhereDrawsAsWhole) {
    const std::string stream =
        Cmd("LayoutSetup", "4,2") + Cmd("LayoutBackColor", "Blue") + Cmd("TextSetup", "2,1,1,0") +
        Cmd("FontFaceColor", "Yellow") + Cmd("TextDraw", "12") + Cmd("Blank", "1,1") +
        Cmd("LayoutBackColor", "Red") + Cmd("ImageDraw", "none") + Cmd("LayoutFlush");
    ASSERT_TRUE(display->Setup(64, 32, 0));
    Send(stream);
    ASSERT_TRUE(display->TakeFlush());
    const std::vector<uint32_t> whole = Pixels(*display);
    ASSERT_GT(Count(kBlue), 0u);
    ASSERT_GT(Count(kRed), 0u);
    ASSERT_GT(Count(0xFFFF00), 0u);  // the text's face
    for (size_t cut = 1; cut < stream.size(); ++cut) {
        std::unique_ptr<KVideoDisplay> parts = NewDisplay();
        ASSERT_TRUE(parts->Setup(64, 32, 0));
        Send(*parts, stream.substr(0, cut));
        Send(*parts, stream.substr(cut));
        EXPECT_TRUE(parts->TakeFlush()) << "cut at " << cut;
        EXPECT_EQ(Pixels(*parts), whole) << "cut at " << cut;
    }
}

TEST_F(VideoDisplay, GridCellsAndTheCursor) {
    ASSERT_TRUE(display->Setup(100, 10, 0));
    // 7 columns on 100 pixels: the first two are 15 pixels wide, the rest 14.
    Send(Cmd("LayoutSetup", "7") + Cmd("LayoutBackColor", "Red") + Cmd("ImageDraw", "x") +
         Cmd("LayoutBackColor", "Blue") + Cmd("ImageDraw", "x") + Cmd("LayoutBackColor", "Green") +
         Cmd("ImageDraw", "x"));
    EXPECT_EQ(Span(0, kRed), std::make_pair(0, 14));
    EXPECT_EQ(Span(9, kBlue), std::make_pair(15, 29));
    EXPECT_EQ(Span(5, kGreen), std::make_pair(30, 43));
    EXPECT_EQ(display->CursorColumn(), 3);
    // Blank draws nothing and moves past its range; past the last column the
    // cursor goes to the next row of the range's end.
    Send(Cmd("Blank", "3,1,0,0"));
    EXPECT_EQ(display->CursorColumn(), 3);
    EXPECT_EQ(display->CursorRow(), 0);
    EXPECT_EQ(Span(0, kRed), std::make_pair(0, 14));
    Send(Cmd("Blank", "2,3,6,0"));
    EXPECT_EQ(display->CursorColumn(), 0);
    EXPECT_EQ(display->CursorRow(), 3);
    // A width of 0 is a range with no cells; fields left empty keep the cursor.
    Send(Cmd("LayoutBackColor", "White") + Cmd("ImageSetup", "0,1,1,0") + Cmd("ImageDraw", "x"));
    EXPECT_EQ(Count(kWhite), 0u);
    EXPECT_EQ(display->CursorColumn(), 1);
    Send(Cmd("Blank", ",,5"));
    EXPECT_EQ(display->CursorColumn(), 6);
    EXPECT_EQ(display->CursorRow(), 0);
    // Columns and rows are clamped to the picture.
    Send(Cmd("LayoutSetup", "1000,0"));
    EXPECT_EQ(display->Columns(), 100);
    EXPECT_EQ(display->Rows(), 1);
}

TEST_F(VideoDisplay, RangesOutsideTheGridClipToThePicture) {
    ASSERT_TRUE(display->Setup(40, 20, 0));
    Send(Cmd("LayoutSetup", "4,2") + Cmd("LayoutBackColor", "Red") + Cmd("ImageSetup", "3,4,2,1") +
         Cmd("ImageDraw", "x"));
    EXPECT_EQ(Span(10, kRed), std::make_pair(20, 39));
    EXPECT_EQ(Count(kRed), 20u * 10);
    // Far outside, and at the ends of the integers: nothing drawn, no overflow.
    Send(Cmd("ImageSetup", "1,1,-5,0") + Cmd("ImageDraw", "x") +
         Cmd("ImageSetup", "2147483647,2147483647,2147483647,2147483647") + Cmd("ImageDraw", "x") +
         Cmd("ImageSetup", "5,1,-2147483648,-2147483648") + Cmd("ImageDraw", "x") +
         Cmd("TextSetup", "2147483647,1,-2147483648,0") + Cmd("TextDraw", "12:00"));
    EXPECT_EQ(Count(kRed), 200u);
    // A range from the picture to the end of the integers draws what shows.
    Send(Cmd("TextSetup", "2147483647,1,0,0") + Cmd("TextDraw", "12:00"));
    EXPECT_EQ(display->CursorColumn(), 0);
    EXPECT_EQ(display->CursorRow(), 1);
    EXPECT_EQ(Span(0, kRed), std::make_pair(0, 39));
}

TEST_F(VideoDisplay, StylesPersistUntilLayoutSetup) {
    ASSERT_TRUE(display->Setup(200, 40, 0));
    Send(Cmd("LayoutSetup", "10,2"));
    const K3DFontInfo& font = display->CurrentText().font;
    EXPECT_EQ(font.Size(), 20);  // the cell height
    EXPECT_EQ(font.textHandling, 1);
    EXPECT_EQ(font.SqueezeMinimum(), 100);
    EXPECT_EQ(display->CurrentImage().stretch, 2);
    // Without TextSetup a style changes the setup itself.
    Send(Cmd("FontFaceColor", "Bl") + Cmd("TextMargins", "-1,5") + Cmd("FontWidth", "80,60") +
         Cmd("ImageStretch", "On"));
    EXPECT_EQ(display->CurrentText().font.face, kColorBlack);
    EXPECT_EQ(display->CurrentText().marginLeft, 2);
    EXPECT_EQ(display->CurrentText().marginRight, 5);
    EXPECT_EQ(display->CurrentText().font.WidthPercent(), 80);
    EXPECT_TRUE(display->CurrentText().font.Squeeze());
    EXPECT_EQ(display->CurrentText().font.SqueezeMinimum(), 60);
    EXPECT_EQ(display->CurrentImage().stretch, 1);
    // After TextSetup a style holds for the next draw only.
    Send(Cmd("TextSetup") + Cmd("FontFaceColor", "255,128,0") + Cmd("FontWidth", "300") +
         Cmd("TextJustify", "r"));
    EXPECT_EQ(display->CurrentText().font.face, KColorRGB(255, 128, 0));
    EXPECT_EQ(display->CurrentText().font.WidthPercent(), 200);
    EXPECT_FALSE(display->CurrentText().font.Squeeze());
    EXPECT_EQ(display->CurrentText().justification, 2);
    Send(Cmd("TextDraw", "A"));
    EXPECT_EQ(display->CurrentText().font.face, kColorBlack);
    EXPECT_EQ(display->CurrentText().justification, 0);
    Send(Cmd("ImageSetup") + Cmd("ImageStretch", "O") + Cmd("ImageJustify", "Left,Bottom"));
    EXPECT_EQ(display->CurrentImage().stretch, 0);
    EXPECT_EQ(display->CurrentImage().justifyY, 2);
    Send(Cmd("ImageDraw", "x"));
    EXPECT_EQ(display->CurrentImage().stretch, 1);
    EXPECT_EQ(display->CurrentImage().justifyX, 1);
    // Malformed values and unknown fonts change nothing.
    Send(Cmd("FontName", "No Such Family") + Cmd("FontFaceColor", "1,2") +
         Cmd("TextJustify", "Middle") + Cmd("ImageStretch", "X"));
    EXPECT_EQ(display->CurrentText().font.face, kColorBlack);
    EXPECT_EQ(display->CurrentText().justification, 0);
    EXPECT_EQ(display->CurrentImage().stretch, 1);
    Send(Cmd("FontName", "DejaVu Sans"));
    EXPECT_EQ(KUtf8Of(display->CurrentText().font.FaceName()), "DejaVu Sans");
    Send(Cmd("LayoutSetup", "10,2"));
    EXPECT_EQ(display->CurrentText().font.face, kColorWhite);
    EXPECT_EQ(display->CurrentText().marginRight, 2);
    EXPECT_EQ(display->CurrentImage().stretch, 2);
    EXPECT_EQ(display->CursorColumn(), 0);
}

// The text of the 20 × 2 grid on 320 × 64: cells 0-4 of row 0 are 80 × 32.
TEST_F(VideoDisplay, TextDrawFitsTheTextIntoItsCells) {
    ASSERT_TRUE(display->Setup(320, 64, 0));
    Send(Cmd("LayoutSetup", "20,2") + Cmd("LayoutBackColor", "Blue") + Cmd("TextDraw", "12:05"));
    EXPECT_EQ(display->CursorColumn(), 5);
    EXPECT_EQ(display->CursorRow(), 0);
    // What the font fits of the text into 76 pixels at size 32.
    K3DFontInfo font(display->CurrentText().font);
    font.SetSize(32);
    font.back = kColorBlue;
    font.border = font.shadow = kColorBlack;
    KString fitted = KTestText("12:05");
    int32_t width = 76;
    ASSERT_TRUE(fonts->Fit(fitted, font, &width, nullptr));
    ASSERT_GT(width, 0);
    // Left margin 2, the text, the rest of the cells filled with the back colour.
    for (int32_t y = 0; y < 32; ++y) {
        EXPECT_EQ(display->Pixel(0, y), kBlue);
        EXPECT_EQ(display->Pixel(1, y), kBlue);
        EXPECT_EQ(display->Pixel(79, y), kBlue);
        EXPECT_EQ(display->Pixel(80, y), 0u);
    }
    EXPECT_EQ(Span(31, kBlue).second, 79);
    for (int32_t y = 32; y < 64; ++y) EXPECT_EQ(Span(y, kBlue).first, -1);
    size_t white = 0;
    for (int32_t y = 0; y < 32; ++y) {
        for (int32_t x = 0; x < 80; ++x) {
            white += display->Pixel(x, y) == kWhite;
            if (x < 2 || x >= 2 + width) {
                EXPECT_EQ(display->Pixel(x, y), kBlue) << x << "," << y;
            }
        }
    }
    EXPECT_GT(white, 50u);
}

TEST_F(VideoDisplay, JustificationAndMargins) {
    ASSERT_TRUE(display->Setup(200, 40, 0));
    auto inkSpan = [&](const std::string& justify) {
        Send(Cmd("LayoutSetup", "1,1") + Cmd("LayoutBackColor", "Blue") + Cmd("TextSetup") +
             Cmd("TextJustify", justify) + Cmd("TextMargins", "10,20") + Cmd("TextDraw", "I"));
        std::pair<int32_t, int32_t> span{200, -1};
        for (int32_t y = 0; y < 40; ++y) {
            for (int32_t x = 0; x < 200; ++x) {
                if (display->Pixel(x, y) == kBlue) continue;
                span.first = std::min(span.first, x);
                span.second = std::max(span.second, x);
            }
        }
        return span;
    };
    const auto left = inkSpan("Left"), centre = inkSpan("Center"), right = inkSpan("Right");
    EXPECT_GE(left.first, 10);
    EXPECT_LT(left.first, 20);
    EXPECT_LE(right.second, 179);
    EXPECT_GT(right.second, 169);
    // Centred in the room between the margins, 10..179.
    EXPECT_NEAR((centre.first + centre.second) / 2.0, (10 + 179) / 2.0, 3);
    EXPECT_EQ(centre.second - centre.first, left.second - left.first);
}

TEST_F(VideoDisplay, BackgroundColoursStandForTheLayoutBackColour) {
    ASSERT_TRUE(display->Setup(100, 40, 0));
    Send(Cmd("LayoutSetup", "1,1") + Cmd("LayoutBackColor", "Green") + Cmd("FontFaceColor", "B") +
         Cmd("FontBorderColor", "Red") + Cmd("TextDraw", "H"));
    EXPECT_GT(Count(kRed), 0u);
    EXPECT_EQ(Count(kWhite), 0u);
    EXPECT_EQ(Count(kRed) + Count(kGreen) + Count(0), 100u * 40);
    EXPECT_GT(Count(kGreen), 100u * 40 / 2);
    // A Background layout colour fills nothing: what was there stays.
    Send(Cmd("LayoutSetup", "1,1") + Cmd("LayoutBackColor", "B") + Cmd("ImageDraw", "none"));
    EXPECT_GT(Count(kGreen), 100u * 40 / 2);
}

TEST_F(VideoDisplay, OptimizedClockRedrawsOnlyWhatChanged) {
    ASSERT_TRUE(display->Setup(320, 64, 0));
    auto pass = [](const std::string& clock, const std::string& optimize) {
        return Cmd("LayoutSetup", "10,2") + Cmd("LayoutBackColor", "Blue") +
               Cmd("TextOptimize", optimize) + Cmd("TextDraw", "Heat 1") +
               Cmd("TextSetup", "4,1,0,1") + Cmd("TextJustify", "Right") + Cmd("TextDraw", clock);
    };
    Send(pass("1:02.3", "On") + pass("1:02.4", "On") + pass("1:02.9", "On"));
    auto fresh = NewDisplay();
    ASSERT_TRUE(fresh->Setup(320, 64, 0));
    Send(*fresh, pass("1:02.9", "Off"));
    EXPECT_EQ(Pixels(*display), Pixels(*fresh));
    // A hit draws nothing: paint over the clock, send the same pass again.
    Send(Cmd("LayoutBackColor", "Red") + Cmd("ImageSetup", "4,1,0,1") + Cmd("ImageDraw", "x"));
    Send(pass("1:02.9", "On"));
    EXPECT_EQ(Span(40, kRed), std::make_pair(0, 127));
    // A new text length misses and draws it all; so does optimize off.
    Send(pass("10:02.9", "On"));
    EXPECT_EQ(Span(40, kRed).first, -1);
    Send(Cmd("LayoutBackColor", "Red") + Cmd("ImageSetup", "4,1,0,1") + Cmd("ImageDraw", "x"));
    Send(pass("10:02.9", "Off"));
    EXPECT_EQ(Span(40, kRed).first, -1);
    // A new picture forgets the slots.
    ASSERT_TRUE(display->Setup(64, 320, 1));
    ASSERT_TRUE(display->Setup(320, 64, 0));
    Send(pass("10:02.9", "On"));
    ASSERT_TRUE(fresh->Setup(64, 320, 1));
    ASSERT_TRUE(fresh->Setup(320, 64, 0));
    Send(*fresh, pass("10:02.9", "Off"));
    EXPECT_EQ(Pixels(*display), Pixels(*fresh));
}

TEST_F(VideoDisplay, GlyphRunsDrawWhatTheKeyedCopyDraws) {
    // Cached glyph cells are copied by their runs of ink, others pixel by
    // pixel past the key: the same picture in every orientation, over a
    // picture with a transparent text back, and clipped at the edges.
    const std::string stream =
        Cmd("LayoutSetup", "6,2") + Cmd("LayoutBackColor", "Red") + Cmd("ImageSetup", "6,2,0,0") +
        Cmd("ImageDraw", "none") + Cmd("LayoutBackColor", "B") + Cmd("FontBorderColor", "Blue") +
        Cmd("TextDraw", "Heat 12") + Cmd("TextSetup", "8,1,3,1") + Cmd("TextDraw", "1:02.34") +
        Cmd("TextSetup", "3,1,-1,1") + Cmd("TextJustify", "Left") + Cmd("TextDraw", "W8");
    for (int32_t rotation : {0, 1, 2}) {
        fonts->Cache().SetBudget(K3DFonts::kCacheBytes);
        auto runs = NewDisplay();
        ASSERT_TRUE(runs->Setup(rotation ? 60 : 150, rotation ? 150 : 60, rotation));
        Send(*runs, stream);
        fonts->Cache().SetBudget(0);
        auto keyed = NewDisplay();
        ASSERT_TRUE(keyed->Setup(rotation ? 60 : 150, rotation ? 150 : 60, rotation));
        Send(*keyed, stream);
        EXPECT_EQ(Pixels(*runs), Pixels(*keyed)) << rotation;
        const std::vector<uint32_t> all = Pixels(*keyed);
        EXPECT_GT(std::count(all.begin(), all.end(), kRed), 0) << rotation;
        EXPECT_GT(std::count(all.begin(), all.end(), kBlue), 0) << rotation;
    }
}

// One pass of a heat's results board as a timing system sends it every
// 100 ms: 20 × 4 cells in the shipped bitmap font, the heat, the logo and
// the running clock on the left, a lane a row on the right (number, name,
// and the time once the lane has finished). With optimize slots on, a pass
// that changes only the clock's last digit redraws that digit alone.
std::string BoardPass(const std::string& clock, int finished) {
    const char* const names[] = {"Meyer", "Okafor", "Lindqvist", "Tan"};
    const char* const times[] = {"52.31", "51.87", "53.02", "52.64"};
    std::string pass = Cmd("LayoutSetup", "20,4") + Cmd("LayoutBackColor", "0,0,80") +
                       Cmd("FontName") + Cmd("TextOptimize", "On");
    pass +=
        Cmd("TextSetup", "6,1,0,0") + Cmd("FontFaceColor", "Yellow") + Cmd("TextDraw", "Heat 3");
    pass += Cmd("ImageSetup", "6,2,0,1") + Cmd("ImageMargins", "4,4,4,4") +
            Cmd("ImageDraw", "Logo.tga");
    pass += Cmd("TextSetup", "6,1,0,3") + Cmd("FontFaceColor", "Yellow") +
            Cmd("TextJustify", "Right") + Cmd("TextDraw", clock);
    for (int lane = 0; lane < 4; ++lane) {
        const std::string row = std::to_string(lane);
        pass += Cmd("TextSetup", "2,1,6," + row) + Cmd("FontFaceColor", "Cyan") +
                Cmd("TextJustify", "Center") + Cmd("TextDraw", std::to_string(lane + 1));
        pass += Cmd("TextSetup", "7,1,8," + row) + Cmd("TextDraw", names[lane]);
        pass += Cmd("TextSetup", "5,1,15," + row) + Cmd("TextJustify", "Right") +
                Cmd("TextDraw", lane < finished ? times[lane] : "");
    }
    return pass;
}

TEST_F(VideoDisplay, ResultsBoardSnapshot) {
    display.reset();  // the fixture's display and fonts give way to the shipped ones
    fonts = std::make_unique<K3DFonts>(settings.registry, TESSARON_ASSETS, nullptr);
    for (int32_t rotation : {0, 1}) {
        KVideoDisplay board(fonts.get(), KTestText(TESSARON_ASSETS));
        ASSERT_TRUE(board.Setup(rotation ? 200 : 640, rotation ? 640 : 200, rotation));
        // 1:01.5 to 1:02.3, the lanes finishing one by one from 1:01.8.
        for (int tenth = 15; tenth <= 23; ++tenth) {
            const std::string clock =
                "1:0" + std::to_string(tenth / 10) + "." + std::to_string(tenth % 10);
            Send(board, BoardPass(clock, std::clamp(tenth - 17, 0, 3)));
        }
        const KBitmap& shown = board.Buffer();
        std::vector<uint32_t> pixels;
        for (int32_t y = 0; y < shown.Height(); ++y)
            for (int32_t x = 0; x < shown.Width(); ++x) pixels.push_back(shown.GetPixel(x, y));
        EXPECT_TRUE(MatchesSnapshot(rotation ? "video-results-board-left" : "video-results-board",
                                    shown.Width(), shown.Height(), pixels));
    }
}

class VideoImages : public VideoDisplay {
  protected:
    void SetUp() override {
        VideoDisplay::SetUp();
        ASSERT_TRUE(display->Setup(40, 20, 0));
        folder.Put("wide.tga", Targa(4, 2, kRed));
        Send(Cmd("LayoutSetup", "1,1") + Cmd("LayoutBackColor", "Blue"));
    }
    // The bounding box of the red pixels: left, top, right, bottom.
    K3DRect Red() const {
        K3DRect box{INT32_MAX, INT32_MAX, -1, -1};
        for (int32_t y = 0; y < display->Height(); ++y) {
            for (int32_t x = 0; x < display->Width(); ++x) {
                if (display->Pixel(x, y) != kRed) continue;
                box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x),
                       std::max(box.bottom, y)};
            }
        }
        return box;
    }
    void Draw(const std::string& styles, const std::string& name = "wide.tga") {
        Send(Cmd("LayoutSetup", "1,1") + Cmd("LayoutBackColor", "Blue") + Cmd("ImageSetup") +
             styles + Cmd("ImageDraw", name));
    }
};

std::string Box(const K3DRect& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) +
           "," + std::to_string(r.bottom);
}

TEST_F(VideoImages, StretchModes) {
    Draw(Cmd("ImageStretch", "OnKA"));  // 4 × 2 into 40 × 20 fills it
    EXPECT_EQ(Box(Red()), "0,0,39,19");
    Draw(Cmd("ImageStretch", "On") + Cmd("ImageMargins", "1,2,3,4"));
    EXPECT_EQ(Box(Red()), "1,3,37,15");
    EXPECT_EQ(Count(kBlue), 40u * 20 - 37 * 13);
    Draw(Cmd("ImageMargins", "0,0,5,5"));  // keeps 2:1 in 40 × 10
    EXPECT_EQ(Box(Red()), "10,5,29,14");
    Draw(Cmd("ImageStretch", "Off") + Cmd("ImageJustify", "Right,Top"));
    EXPECT_EQ(Box(Red()), "36,0,39,1");
    EXPECT_EQ(Count(kBlue), 40u * 20 - 8);
    Draw(Cmd("ImageStretch", "Off") + Cmd("ImageJustify", "Left,Bottom") +
         Cmd("ImageMargins", "38,,,19"));  // clipped to the inner rectangle
    EXPECT_EQ(Box(Red()), "38,0,39,0");
    Draw(Cmd("ImageMargins", "20,20"));  // no room inside: the cell only
    EXPECT_EQ(Count(kBlue), 40u * 20);
}

TEST_F(VideoImages, StretchingPicksPixelsAsScalingABitmapDoes) {
    // 3 × 2 distinct pixels, rows top-down.
    const uint32_t colours[6] = {0x102030, 0x405060, 0x708090, 0xA0B0C0, 0xD0E0F0, 0x0F1F2F};
    std::string targa = TargaHeader(2, 3, 2, 24, 0x20);
    for (uint32_t c : colours)
        targa += char(c & 0xFF), targa += char(c >> 8), targa += char(c >> 16);
    folder.Put("six.tga", targa);
    KBitmap image(3, 2, KBitmap::kImageFormat);
    ASSERT_TRUE(image.Allocate());
    for (int i = 0; i < 6; ++i) image.SetPixel(i % 3, i / 3, colours[i]);
    const std::unique_ptr<KBitmap> scaled = image.Scaled(37, 13);
    ASSERT_TRUE(scaled);
    Draw(Cmd("ImageStretch", "On") + Cmd("ImageMargins", "1,2,3,4"), "six.tga");
    for (int32_t y = 0; y < 13; ++y)
        for (int32_t x = 0; x < 37; ++x)
            ASSERT_EQ(display->Pixel(1 + x, 3 + y), scaled->GetPixel(x, y)) << x << "," << y;
    // A picture so flat that keeping its shape would leave no row keeps one.
    folder.Put("flat.tga", Targa(100, 1, kRed));
    Draw("", "flat.tga");
    EXPECT_EQ(Box(Red()), "0,9,39,9");
}

TEST_F(VideoImages, NamesAndUnreadablePictures) {
    Draw("", folder.Path("wide.tga"));  // absolute
    EXPECT_EQ(Box(Red()), "0,0,39,19");
    Draw("", "WIDE.TGA");  // any letter case inside the folder
    EXPECT_EQ(Box(Red()), "0,0,39,19");
    mkdir(folder.Path("sub").c_str(), 0700);
    folder.Put("sub/a.tga", Targa(1, 1, kRed));
    Draw("", "sub\\a.tga");  // a square keeps its shape
    EXPECT_EQ(Box(Red()), "10,0,29,19");
    folder.Put("a", Targa(1, 1, kRed));
    Draw("", "/a");  // up to four characters: always inside the folder
    EXPECT_EQ(Box(Red()), "10,0,29,19");
    folder.Put("bad.tga", "not a picture");
    for (const std::string& name :
         {std::string("bad.tga"), std::string("missing.tga"), std::string(""), folder.Path()}) {
        Draw("", name);
        EXPECT_EQ(Count(kBlue), 40u * 20) << name;
    }
    // A pipe would wait for a writer for ever: it is no picture.
    ASSERT_EQ(mkfifo(folder.Path("pipe.tga").c_str(), 0600), 0);
    Draw("", "pipe.tga");
    EXPECT_EQ(Count(kBlue), 40u * 20);
}

// A repeated "ImageDraw" takes the picture from the cache: no decode until
// the file changes; only the first frame of an animation is decoded; a GIF
// shows its background when Display\GIFUseBg asks for it.
TEST_F(VideoImages, PicturesComeFromTheCacheDecodedAsFarAsDrawn) {
    KPictureCache& cache = KPictureCache::Shared();
    cache.Bind(&settings.registry);
    Draw("");
    const int64_t decodes = cache.Decodes();
    Draw("");
    Draw(Cmd("ImageStretch", "Off"));
    EXPECT_EQ(cache.Decodes(), decodes);
    EXPECT_EQ(Box(Red()), "18,9,21,10");
    folder.Put("wide.tga", Targa(4, 2, kGreen) + std::string(1, '\0'));
    Draw("");
    EXPECT_EQ(cache.Decodes(), decodes + 1);
    EXPECT_EQ(Count(kGreen), 40u * 20);

    // Two frames of 50 ms, the second one's codes broken: only a decoder
    // that stops at the first frame draws it.
    GifBuilder gif(2, 1, {0x000000, 0xFF0000}, 1);
    gif.Control(0, 5).Image(0, 0, 1, 1, {1}).Control(0, 5).ImageCodes(0, 0, 2, 1, 2, {4, 7, 5});
    folder.Put("bg.gif", gif.Bytes());
    Draw(Cmd("ImageStretch", "On"), "bg.gif");
    EXPECT_EQ(display->Pixel(39, 0), 0u);  // the screen's second pixel: black
    settings.Int("\\Display\\GIFUseBg")->value = 1;
    Draw(Cmd("ImageStretch", "On"), "bg.gif");
    EXPECT_EQ(Count(kRed), 40u * 20);
    settings.Int("\\Display\\GIFUseBg")->value = 0;
    cache.Bind(nullptr);
}

// A big JPEG is decoded at the scale of its cell: an eighth of 800 × 400
// still covers 40 × 20.
TEST_F(VideoImages, AJpegIsDecodedAtTheScaleOfItsCell) {
    const std::string make = "convert -size 800x400 xc:red -quality 95 " + folder.Path("big.jpg");
    ASSERT_EQ(std::system(make.c_str()), 0);
    Draw("", "big.jpg");
    for (int32_t y = 0; y < 20; ++y) {
        for (int32_t x = 0; x < 40; ++x) {
            const uint32_t p = display->Pixel(x, y);
            ASSERT_GE(p >> 16, 0xF0u) << x << "," << y;
            ASSERT_LE(p & 0xFFFF, 0x1010u) << x << "," << y;
        }
    }
    int32_t error = 0;
    KBitmaps::ReadOptions cell;
    cell.maxFrames = 1;
    cell.minWidth = 40;
    cell.minHeight = 20;
    const auto picture =
        KPictureCache::Shared().Load(KTestText(folder.Path("big.jpg")), cell, &error);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->Width(), 100);
    EXPECT_EQ(picture->NaturalWidth(), 800);
}

}  // namespace

#include "K3DFont.h"

#include <gtest/gtest.h>

#include "K3DFontOptimize.h"
#include "K3DFonts.h"
#include "TextTestSupport.h"

namespace {

// The internal font at height 10: space 4 wide, digits 6, ':' 3, A-D 8.
class FitAndDraw : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string glyphs = FntBlock(' ', 4, 10, 'p') + FntBlock(':', 3, 10);
        for (char d = '0'; d <= '9'; ++d) glyphs += FntBlock(d, 6, 10, 'q' + (d - '0') % 8);
        for (char c = 'A'; c <= 'D'; ++c) glyphs += FntBlock(c, 8, 10);
        folder.Put("ten.fnt", glyphs);
        fonts = std::make_unique<K3DFonts>(settings.registry, folder.Path(), nullptr);
        info.SetSize(10);
    }
    // Fits text into width with the record; the fitted text.
    std::string Fit(const char* text, int32_t width, int32_t* fitted = nullptr) {
        KString s = KTestText(text);
        fonts->Fit(s, info, &width, &optimize);
        if (fitted) *fitted = width;
        return KUtf8Of(s);
    }
    Drawn Draw(const char* text) {
        Drawn drawn;
        fonts->Draw(KTestText(text), info, Drawn::Keep, &drawn, &optimize);
        return drawn;
    }

    KTestFolder folder;
    DefaultSettings settings;
    std::unique_ptr<K3DFonts> fonts;
    K3DFontInfo info;
    K3DFontOptimize optimize;
};

TEST_F(FitAndDraw, FitCutsAtTheFirstCharacterThatDoesNotFit) {
    int32_t width;
    EXPECT_EQ(Fit("12345", 20, &width), "123");
    EXPECT_EQ(width, 18);
    EXPECT_EQ(Fit("12:34", 100, &width), "12:34");
    EXPECT_EQ(width, 27);
    EXPECT_EQ(Fit("1x2", 100, &width), "1x2");  // no glyph, no width
    EXPECT_EQ(width, 12);
    EXPECT_EQ(Fit("AB", 0, &width), "");
    EXPECT_EQ(width, 0);
    KString none = KTestText("xyz");
    int32_t room = 50;
    EXPECT_FALSE(fonts->Fit(none, info, &room, nullptr));
}

TEST_F(FitAndDraw, MeasureAddsCellsAndTakesTheTallest) {
    KPoint extent;
    EXPECT_TRUE(fonts->Measure(KTestText("A x1"), info, &extent));
    EXPECT_EQ(extent.x, 18);
    EXPECT_EQ(extent.y, 10);
    EXPECT_TRUE(fonts->Measure(KTestText(""), info, &extent));
    EXPECT_EQ(extent.x, 0);
    EXPECT_EQ(extent.y, 0);
    EXPECT_FALSE(fonts->Measure(KTestText("xy"), info, &extent));
}

TEST_F(FitAndDraw, GlyphsEdgeToEdge) {
    const Drawn drawn = Draw("1:A");
    ASSERT_EQ(drawn.glyphs.size(), 3u);
    EXPECT_EQ(drawn.glyphs[1].rect.left, 6);
    EXPECT_EQ(drawn.glyphs[1].rect.right, 8);
    EXPECT_EQ(drawn.glyphs[2].rect.left, 9);
    EXPECT_EQ(drawn.glyphs[2].rect.bottom, 9);
    EXPECT_EQ(drawn.glyphs[2].pixels[0], 0xFFFFFFu);  // code 1: the White face
}

TEST_F(FitAndDraw, ChangedDigitsInPlaceRedrawOnlyThemselves) {
    EXPECT_EQ(Fit("12:35", 100), "12:35");
    EXPECT_FALSE(optimize.hit || optimize.partialHit);
    EXPECT_EQ(Draw("12:35").glyphs.size(), 5u);

    EXPECT_EQ(Fit("12:34", 100), "12:34");
    EXPECT_TRUE(optimize.partialHit);
    const Drawn changed = Draw("12:34");
    ASSERT_EQ(changed.glyphs.size(), 1u);
    EXPECT_EQ(changed.glyphs[0].rect.left, 21);

    EXPECT_EQ(Fit("12:34", 100), "12:34");
    EXPECT_TRUE(optimize.hit);
    EXPECT_TRUE(Draw("12:34").glyphs.empty());
}

TEST_F(FitAndDraw, OtherChangesStartOver) {
    Fit("12:35", 100);
    Draw("12:35");
    Fit("12:3A", 100);  // a letter for a digit
    EXPECT_FALSE(optimize.hit || optimize.partialHit);
    EXPECT_EQ(Draw("12:3A").glyphs.size(), 5u);
    Fit("12:34", 90);  // another width
    EXPECT_FALSE(optimize.partialHit);
    Draw("12:34");
    info.face = kColorRed;  // another info
    Fit("12:33", 90);
    EXPECT_FALSE(optimize.partialHit);
}

TEST_F(FitAndDraw, ACutTextReusesOnlyWhenTheNextCharacterStillMatches) {
    EXPECT_EQ(Fit("123:5", 20), "123");
    Draw("123");
    EXPECT_EQ(Fit("124:5", 20), "124");
    EXPECT_TRUE(optimize.partialHit);
    Draw("124");
    EXPECT_EQ(Fit("1245A", 20), "124");  // ':' became a digit behind the cut
    EXPECT_FALSE(optimize.partialHit);
}

TEST_F(FitAndDraw, AStoppedDrawingForgetsItsCells) {
    Fit("12:35", 100);
    Drawn stopped;
    stopped.limit = 2;
    fonts->Draw(KTestText("12:35"), info, Drawn::Keep, &stopped, &optimize);
    EXPECT_EQ(stopped.glyphs.size(), 2u);
    Fit("12:34", 100);
    EXPECT_FALSE(optimize.partialHit);
    EXPECT_EQ(Draw("12:34").glyphs.size(), 5u);
}

}  // namespace

#include "K3DCellPalette.h"

#include <gtest/gtest.h>

#include "K3DFontInfo.h"
#include "TextTestSupport.h"

namespace {

class Palette : public ::testing::Test {
  protected:
    // The palette of a face on a border with Enable and BGLight (null: missing).
    K3DCellPalette Build(KColor face, KColor border, const int* enable, const int* bgLight) {
        KRInt enableSetting, bgLightSetting;
        if (enable) enableSetting.value = *enable;
        if (bgLight) bgLightSetting.value = *bgLight;
        K3DFontInfo info;
        info.face = face;
        info.border = border;
        K3DCellPalette palette;
        palette.Build(info, colors, enable ? &enableSetting : nullptr,
                      bgLight ? &bgLightSetting : nullptr);
        return palette;
    }
    // True when every ink entry is the face itself.
    static bool Solid(const K3DCellPalette& p, uint32_t face) {
        for (int i = p.threshold; i < 256; ++i) {
            if (p.ramp[i] != face) return false;
        }
        return true;
    }
    KColorTable colors;
    const int e75 = 75, e0 = 0, e100 = 100, eMinus = -75;
};

TEST_F(Palette, ThresholdsFromTheAntiAliasSetting) {
    EXPECT_EQ(Build(kColorWhite, kColorBlack, &e75, nullptr).threshold, 64);
    EXPECT_EQ(Build(kColorWhite, kColorBlack, &e0, nullptr).threshold, 255);
    EXPECT_EQ(Build(kColorWhite, kColorBlack, &e100, nullptr).threshold, 1);
    EXPECT_EQ(Build(kColorWhite, kColorBlack, &eMinus, nullptr).threshold, 64);
    const int huge = 1000, lowest = INT32_MIN;
    EXPECT_EQ(Build(kColorWhite, kColorBlack, &huge, nullptr).threshold, 1);
    EXPECT_EQ(Build(kColorWhite, kColorBlack, &lowest, nullptr).threshold, 1);
    // Missing: as 75, and blending towards any colour.
    const K3DCellPalette missing = Build(kColorRed, kColorBlue + 0, nullptr, nullptr);
    EXPECT_EQ(missing.threshold, 64);
    EXPECT_TRUE(missing.blendAny);
    EXPECT_FALSE(Build(kColorWhite, kColorBlack, &e75, nullptr).blendAny);
    EXPECT_TRUE(Build(kColorWhite, kColorBlack, &eMinus, nullptr).blendAny);
}

TEST_F(Palette, WhiteOnBlackFadesThroughGrey) {
    const K3DCellPalette p = Build(kColorWhite, kColorBlack, &e75, nullptr);
    EXPECT_EQ(p.ramp[255], 0xFFFFFFu);
    EXPECT_EQ(p.ramp[128], 0x808080u);  // a black blend colour fades all the way
    EXPECT_EQ(p.ramp[64], 0x404040u);
    EXPECT_EQ(p.border, 0u);
    EXPECT_EQ(p.shadow, 0u);
    EXPECT_EQ(p.back, kTransparentPixel);
}

TEST_F(Palette, TransparentBorderBlendsByBgLight) {
    const int light = 0, dark = 256, off = -1;
    // 0: every face counts as light and fades to black.
    const K3DCellPalette white = Build(kColorWhite, kColorBackground, &e75, &light);
    EXPECT_EQ(white.ramp[128], 0x808080u);
    // 256: every face counts as dark and fades to white.
    const K3DCellPalette black = Build(kColorBlack, kColorBackground, &e75, &dark);
    EXPECT_EQ(black.ramp[255], 0u);
    EXPECT_EQ(black.ramp[128], 0x7F7F7Fu);  // 255 - 128*255/255
    // -1: no blending.
    EXPECT_TRUE(Solid(Build(kColorWhite, kColorBackground, &e75, &off), 0xFFFFFF));
    // Missing BGLight reads as 0.
    EXPECT_EQ(Build(kColorWhite, kColorBackground, &e75, nullptr).ramp[128], 0x808080u);
}

TEST_F(Palette, EqualSumsStaySolid) {
    // Red on blue: equal component sums, so solid whatever the setting says.
    EXPECT_TRUE(Solid(Build(kColorRed, kColorBlue, &e75, nullptr), 0xFF0000));
    EXPECT_TRUE(Solid(Build(kColorRed, kColorBlue, &eMinus, nullptr), 0xFF0000));
    // Red on yellow: yellow is not grey, so only a negative setting blends.
    EXPECT_TRUE(Solid(Build(kColorRed, kColorYellow, &e75, nullptr), 0xFF0000));
    EXPECT_TRUE(Solid(Build(kColorRed, kColorYellow, &e0, nullptr), 0xFF0000));
    const K3DCellPalette blended = Build(kColorRed, kColorYellow, &eMinus, nullptr);
    EXPECT_FALSE(Solid(blended, 0xFF0000));
    // Towards white with SD = 510, SF = 255: cut = (195075 - 130050) / 510 = 127.
    EXPECT_EQ(blended.ramp[200], 0xFF3737u);  // 255 - 200*255/255 = 55 in green and blue
    EXPECT_EQ(blended.ramp[128], 0xFF7F7Fu);
    EXPECT_EQ(blended.ramp[127], 0xFF7F7Fu);  // below the cut the last value repeats
    EXPECT_EQ(blended.ramp[64], 0xFF7F7Fu);
}

TEST_F(Palette, TowardsBlackStopsAtTheBorderBrightness) {
    // White face on a dark grey border (SD = 384): cut = 384*255/765 = 128.
    const K3DCellPalette p = Build(kColorWhite, kColorDarkGray, &e75, nullptr);
    EXPECT_EQ(p.ramp[200], 0xC8C8C8u);
    EXPECT_EQ(p.ramp[129], 0x818181u);
    EXPECT_EQ(p.ramp[128], 0x818181u);
    EXPECT_EQ(p.ramp[64], 0x818181u);
    // Light grey towards white (SD = 765 after the setting's white): every
    // ink entry blends.
    const int dark = 256;
    const K3DCellPalette grey = Build(kColorDarkGray, kColorBackground, &e75, &dark);
    EXPECT_EQ(grey.ramp[64], 0xE0E0E0u);  // 255 - 64*127/255
}

TEST_F(Palette, TransparentFaceIsHollow) {
    const K3DCellPalette p = Build(kColorBackground, kColorRed, &e75, nullptr);
    for (int i = 0; i < 256; ++i) ASSERT_EQ(p.ramp[i], kTransparentPixel);
    EXPECT_EQ(p.border, 0xFF0000u);
}

}  // namespace

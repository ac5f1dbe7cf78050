#include "KColorTable.h"

#include <gtest/gtest.h>

#include "TextTestSupport.h"

namespace {

TEST(KColorTable, PixelsOfBothForms) {
    KColorTable colors;
    EXPECT_EQ(colors.Pixel(kColorBackground), kTransparentPixel);
    EXPECT_EQ(colors.Pixel(kColorWhite), 0xFFFFFFu);
    EXPECT_EQ(colors.Pixel(kColorBlue), 0x0000FFu);
    EXPECT_EQ(colors.Pixel(kColorYellow), 0xFFFF00u);
    EXPECT_EQ(KColorRGB(1, 2, 3), 0x80010203u);
    EXPECT_EQ(colors.Pixel(KColorRGB(1, 2, 3)), 0x010203u);
    EXPECT_EQ(colors.Pixel(KColorRGB(0, 0, 0)), 0u);  // direct black is not transparent
    // An index past the table, as a damaged file may hold, draws nothing.
    EXPECT_EQ(colors.Pixel(11), kTransparentPixel);
    EXPECT_EQ(colors.Pixel(0x7FFFFFFF), kTransparentPixel);
}

TEST(KColorTable, DarkenedByEighths) {
    KColorTable colors;
    EXPECT_EQ(colors.Pixel(colors.Darkened(kColorWhite, 1)), 0xE0E0E0u);          // 255 - 31
    EXPECT_EQ(colors.Pixel(colors.Darkened(kColorWhite, 5)), 0x606060u);          // 255 - 159
    EXPECT_EQ(colors.Pixel(colors.Darkened(KColorRGB(8, 16, 7), 4)), 0x040804u);  // 7 - 3
    EXPECT_EQ(colors.Darkened(kColorBackground, 3), kColorBackground);
}

TEST(KColorTable, SettingsReplaceTheComponentsTheyGive) {
    DefaultSettings settings;
    settings.registry.ApplyLine(KTestText("Display\\Colors\\5:String=10,x,300"));
    settings.registry.ApplyLine(KTestText("Display\\Colors\\7:String=0x20,32"));
    settings.registry.ApplyLine(KTestText("Display\\Colors\\0:String=1,2,3"));
    KColorTable colors;
    colors.Load(settings.registry);
    EXPECT_EQ(colors.Pixel(kColorRed), 0x0A0000u);   // green fails to parse, blue is out of range
    EXPECT_EQ(colors.Pixel(kColorBlue), 0x2020FFu);  // base 0 parsing; the missing blue stays
    EXPECT_EQ(colors.Pixel(kColorWhite), 0xFFFFFFu);
    EXPECT_EQ(colors.Pixel(kColorBackground), kTransparentPixel);  // entry 0 is still Background
}

TEST(KColorTable, DisplayNamesFromTheStrings) {
    DefaultSettings settings;
    KString name;
    KColorTable::DisplayName(settings.registry, 2, name);
    EXPECT_EQ(KUtf8Of(name), "Light Gray");
    name.Empty();
    KColorTable::DisplayName(settings.registry, 0, name);
    EXPECT_EQ(KUtf8Of(name), "Transparent");
    name.Empty();
    KColorTable::DisplayName(settings.registry, 40, name);
    EXPECT_TRUE(name.IsEmpty());
}

}  // namespace

#include "K3DSportFont.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "K3DFonts.h"
#include "KMemoryStream.h"
#include "TextTestSupport.h"

namespace {

std::vector<uint8_t> CodesOf(const K3DSportGlyph& g) {
    return std::vector<uint8_t>(g.Codes(), g.Codes() + g.Width() * g.Height());
}

TEST(K3DSportSize, RecordsDecodeBottomRowFirst) {
    KMemoryStream file(FntRecord('A', {"pqr", "stu", "vwx", "yo\x71"}) + FntBlock(' ', 2, 4));
    K3DSportSize size;
    size.Load(file);
    EXPECT_EQ(size.Key(), 4);  // the height of the space glyph
    const K3DSportGlyph* a = size.Glyph('A');
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->Width(), 3);
    EXPECT_EQ(a->Height(), 4);
    // Stored rows bottom first; q..x are 1..8, p, y and others are 0.
    EXPECT_EQ(CodesOf(*a), (std::vector<uint8_t>{0, 0, 1, 6, 7, 8, 3, 4, 5, 0, 1, 2}));
}

TEST(K3DSportSize, RectangleFromItsEdges) {
    // left 3, top -2, right 4, bottom 0: 2 × 3.
    std::string record = "Z";
    for (int v : {3, -2, 4, 0})
        record += {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8 & 0xFF)};
    record += "qqqqqq";
    KMemoryStream file(record);
    K3DSportSize size;
    size.Load(file);
    ASSERT_NE(size.Glyph('Z'), nullptr);
    EXPECT_EQ(size.Glyph('Z')->Width(), 2);
    EXPECT_EQ(size.Glyph('Z')->Height(), 3);
    EXPECT_EQ(size.Key(), 0);  // no space glyph
}

TEST(K3DSportSize, TheTall9LosesItsBottomRow) {
    std::vector<std::string> rows(83, "qq");
    KMemoryStream file(FntRecord('9', rows) + FntRecord('8', rows));
    K3DSportSize size;
    size.Load(file);
    const std::vector<uint8_t> nine = CodesOf(*size.Glyph('9'));
    EXPECT_EQ(nine[82 * 2], 0);
    EXPECT_EQ(nine[82 * 2 + 1], 0);
    EXPECT_EQ(nine[81 * 2], 1);
    EXPECT_EQ(CodesOf(*size.Glyph('8'))[82 * 2], 1);
}

TEST(K3DSportSize, ReadingEndsAtABadOrShortRecord) {
    const std::string good = FntBlock(' ', 2, 3) + FntBlock('a', 1, 1);
    {
        // Truncated: the partial record is dropped, the earlier ones stay.
        KMemoryStream file(good + FntBlock('b', 4, 4).substr(0, 20));
        K3DSportSize size;
        size.Load(file);
        EXPECT_EQ(size.GlyphCount(), 2);
        EXPECT_EQ(size.Glyph('b'), nullptr);
    }
    {
        // A huge rectangle ends the reading without asking for its bytes.
        std::string huge = "c";
        for (int v : {-32768, -32768, 32767, 32767})
            huge += {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8 & 0xFF)};
        KMemoryStream file(good + huge + FntBlock('d', 1, 1));
        K3DSportSize size;
        size.Load(file);
        EXPECT_EQ(size.GlyphCount(), 2);
    }
    {
        // A negative size (right before left) is no glyph either.
        std::string inverted = "e";
        for (int v : {5, 0, 1, 0}) inverted += {static_cast<char>(v), '\0'};
        KMemoryStream file(good + inverted + FntBlock('f', 1, 1));
        K3DSportSize size;
        size.Load(file);
        EXPECT_EQ(size.GlyphCount(), 2);
        EXPECT_EQ(size.Key(), 3);
    }
}

class SportFont : public ::testing::Test {
  protected:
    std::unique_ptr<K3DFonts> Fonts() {
        return std::make_unique<K3DFonts>(settings.registry, folder.Path(), nullptr);
    }
    K3DSportFont& Internal(K3DFonts& fonts) {
        return *static_cast<K3DSportFont*>(fonts.Find(KString(u"")));
    }
    KTestFolder folder;
    DefaultSettings settings;
};

TEST_F(SportFont, SizesFromTheFolder) {
    folder.Put("big.FNT", FntBlock(' ', 5, 50));
    folder.Put("small.fnt", FntBlock(' ', 5, 20));
    folder.Put("mid.fnt", FntBlock(' ', 5, 34) + FntBlock('1', 3, 34));
    folder.Put("nospace.fnt", FntBlock('1', 3, 44));
    folder.Put("empty.fnt", "");
    folder.Put("other.txt", FntBlock(' ', 5, 60));
    ASSERT_EQ(mkfifo(folder.Path("pipe.fnt").c_str(), 0600), 0);          // would wait for a writer
    ASSERT_EQ(symlink("/dev/zero", folder.Path("zero.fnt").c_str()), 0);  // would never end
    auto fonts = Fonts();
    K3DSportFont& font = Internal(*fonts);
    EXPECT_TRUE(font.HasFixedSizes());
    ASSERT_EQ(font.SizeCount(), 3);
    EXPECT_EQ(font.SizeAt(0), 20);
    EXPECT_EQ(font.SizeAt(1), 34);
    EXPECT_EQ(font.SizeAt(2), 50);
    EXPECT_EQ(font.SizeAt(3), 0);
    EXPECT_EQ(font.DefaultSize(), 34);
    EXPECT_TRUE(font.IsValidSize(50));
    EXPECT_FALSE(font.IsValidSize(44));
    EXPECT_FALSE(font.IsValidSize(0));
}

TEST_F(SportFont, OneSizeIsItsDefault) {
    folder.Put("only.fnt", FntBlock(' ', 5, 66));
    auto fonts = Fonts();
    EXPECT_EQ(Internal(*fonts).DefaultSize(), 66);
}

TEST_F(SportFont, NoFilesNoSizesNothingDrawn) {
    auto fonts = Fonts();
    K3DFontInfo info;
    EXPECT_EQ(info.Size(), 0);
    EXPECT_EQ(Internal(*fonts).DefaultSize(), 0);
    Drawn drawn;
    EXPECT_FALSE(fonts->Draw(KTestText("12:05"), info, Drawn::Keep, &drawn, nullptr));
    EXPECT_TRUE(drawn.glyphs.empty());
    KPoint extent{1, 1};
    EXPECT_FALSE(fonts->Measure(KTestText("12:05"), info, &extent));
    EXPECT_EQ(extent.x, 0);
}

TEST_F(SportFont, CodesTakeTheInfosColours) {
    folder.Put("f.fnt", FntBlock(' ', 1, 9) + FntRecord('A', {"pqrstuvwxy"}) + FntBlock('B', 1, 9));
    auto fonts = Fonts();
    K3DFontInfo info;
    info.SetSize(9);
    info.face = KColorRGB(80, 160, 240);
    info.border = kColorRed;
    info.shadow = kColorBackground;
    info.back = kColorGreen;
    info.SetWidthPercent(50);  // no effect on a bitmap font
    K3DGlyph glyph;
    KPoint extent;
    ASSERT_TRUE(Internal(*fonts).CharGlyph(u'A', info, &glyph, &extent));
    EXPECT_EQ(extent.x, 10);
    EXPECT_EQ(extent.y, 1);
    const std::vector<uint32_t> row(glyph.pixels, glyph.pixels + 10);
    EXPECT_EQ(row,
              (std::vector<uint32_t>{0x00FF00, 0x50A0F0, 0x468CD2, 0x3C78B4, 0x326496, 0x285078,
                                     0x1E3C5A, 0xFF0000, kTransparentPixel, 0x00FF00}));
    EXPECT_FALSE(Internal(*fonts).CharGlyph(u'C', info, &glyph, &extent));
    EXPECT_FALSE(Internal(*fonts).CharGlyph(u'A' + 256, info, &glyph, &extent));
    info.SetSize(10);  // no such size: the size stays 9
    EXPECT_EQ(info.Size(), 9);
}

}  // namespace

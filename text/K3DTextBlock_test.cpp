#include "K3DTextBlock.h"

#include <gtest/gtest.h>

#include "K3DFonts.h"
#include "TextTestSupport.h"

namespace {

// What a text block drew: its lines and the left edges of its glyphs.
struct Record : K3DTextTarget {
    struct Placed {
        std::string text;
        int32_t left, top, width;
    };
    bool Glyph(const uint32_t*, const K3DRect& rect) override {
        glyphLefts.push_back(rect.left);
        glyphTops.push_back(rect.top);
        return true;
    }
    void Line(const KString& text, int32_t left, int32_t top, int32_t width) override {
        lines.push_back({KUtf8Of(text), left, top, width});
    }
    std::vector<Placed> lines;
    std::vector<int32_t> glyphLefts, glyphTops;
};

// The internal font at height 10: space 4 wide, A-F 8.
class TextBlock : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string glyphs = FntBlock(' ', 4, 10, 'p');
        for (char c = 'A'; c <= 'F'; ++c) glyphs += FntBlock(c, 8, 10);
        folder.Put("ten.fnt", glyphs);
        fonts = std::make_unique<K3DFonts>(settings.registry, folder.Path(), nullptr);
        info.SetSize(10);
    }
    Record Draw(const char* text, K3DRect rect, int32_t lines, int32_t justification = 0) {
        Record record;
        K3DTextBlock(*fonts, info).Draw(rect, KTestText(text), justification, lines, record);
        return record;
    }

    KTestFolder folder;
    DefaultSettings settings;
    std::unique_ptr<K3DFonts> fonts;
    K3DFontInfo info;
};

TEST_F(TextBlock, WordsWrapAtSpaces) {
    // 28 pixels hold "AB C" but not "AB CD".
    const Record r = Draw("AB CD", {0, 0, 27, 19}, 2);
    ASSERT_EQ(r.lines.size(), 2u);
    EXPECT_EQ(r.lines[0].text, "AB");
    EXPECT_EQ(r.lines[1].text, "CD");
    EXPECT_EQ(r.lines[1].top, 10);
    EXPECT_EQ(r.glyphLefts, (std::vector<int32_t>{0, 8, 0, 8}));
}

TEST_F(TextBlock, SpacesAndLongWords) {
    // A space right after the cut is skipped; a word longer than the line
    // is broken where the fit cut it; the last line keeps what fits.
    Record r = Draw("AB CDEF", {0, 0, 15, 29}, 3);
    ASSERT_EQ(r.lines.size(), 3u);
    EXPECT_EQ(r.lines[0].text, "AB");
    EXPECT_EQ(r.lines[1].text, "CD");
    EXPECT_EQ(r.lines[2].text, "EF");
    r = Draw("ABC DEF", {0, 0, 31, 9}, 1);
    ASSERT_EQ(r.lines.size(), 1u);
    EXPECT_EQ(r.lines[0].text, "ABC ");  // trailing space included
}

TEST_F(TextBlock, LinesShareTheHeight) {
    // Two lines: the second at the bottom.
    Record r = Draw("AB CD", {5, 7, 24, 56}, 2);
    ASSERT_EQ(r.lines.size(), 2u);
    EXPECT_EQ(r.lines[0].top, 7);
    EXPECT_EQ(r.lines[1].top, 47);
    EXPECT_EQ(r.lines[1].left, 5);
    // Three lines in 50: gaps of (50 - 30) / 2.
    r = Draw("A B C", {0, 0, 9, 49}, 3);
    ASSERT_EQ(r.lines.size(), 3u);
    EXPECT_EQ(r.lines[1].top, 20);
    EXPECT_EQ(r.lines[2].top, 40);
    EXPECT_EQ(r.glyphTops, (std::vector<int32_t>{0, 20, 40}));
    // Text that runs out first ends the block.
    EXPECT_EQ(Draw("A", {0, 0, 9, 49}, 3).lines.size(), 1u);
    EXPECT_TRUE(Draw("AB", {0, 0, 99, 49}, 0).lines.empty());
    EXPECT_TRUE(Draw("AB", {0, 0, 99, 49}, -2).lines.empty());
}

TEST_F(TextBlock, Justification) {
    EXPECT_EQ(Draw("AB", {10, 0, 49, 9}, 1, 0).lines[0].left, 10);
    EXPECT_EQ(Draw("AB", {10, 0, 49, 9}, 1, 1).lines[0].left, 22);  // (40 - 16) / 2
    EXPECT_EQ(Draw("AB", {10, 0, 48, 9}, 1, 1).lines[0].left, 21);  // 23 / 2 truncated
    EXPECT_EQ(Draw("AB", {10, 0, 49, 9}, 1, 2).lines[0].left, 34);
    EXPECT_EQ(Draw("AB", {10, 0, 49, 9}, 1, 7).lines[0].left, 10);
    // Not even one character fits: nothing is drawn.
    EXPECT_EQ(Draw("ABCDEF", {10, 0, 13, 9}, 1, 2).lines.size(), 0u);
}

}  // namespace

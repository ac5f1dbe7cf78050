#include "K3DFonts.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "K3DFontOptimize.h"
#include "K3DSystemFont.h"
#include "TextTestSupport.h"

namespace {

constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kWhite = 0xFFFFFF;

// System-font drawing with DejaVu Sans, which the installer brings.
class SystemFont : public ::testing::Test {
  protected:
    void SetUp() override {
        fonts = std::make_unique<K3DFonts>(settings.registry, folder.Path(), nullptr);
        info.SetFaceName(KTestText("DejaVu Sans"));
        info.face = kColorWhite;
        info.border = kColorRed;
        info.shadow = kColorGreen;
        ASSERT_NE(fonts->Find(info.FaceName()), nullptr);
    }
    K3DSystemFont& Font() { return *static_cast<K3DSystemFont*>(fonts->Find(info.FaceName())); }
    // The pixels of one glyph cell.
    Drawn::Glyph Glyph(KChar c) {
        K3DGlyph glyph;
        KPoint extent;
        K3DFontInfo copy(info);
        EXPECT_TRUE(Font().CharGlyph(c, copy, &glyph, &extent));
        return {{0, 0, extent.x - 1, extent.y - 1},
                std::vector<uint32_t>(glyph.pixels, glyph.pixels + extent.x * extent.y)};
    }
    // The lowest row holding a pixel of this value, -1 when none.
    static int32_t LowestRow(const Drawn::Glyph& g, uint32_t value) {
        const int32_t width = g.rect.right + 1;
        int32_t lowest = -1;
        for (size_t i = 0; i < g.pixels.size(); ++i)
            if (g.pixels[i] == value) lowest = static_cast<int32_t>(i) / width;
        return lowest;
    }
    static size_t Count(const Drawn::Glyph& g, uint32_t value) {
        return static_cast<size_t>(std::count(g.pixels.begin(), g.pixels.end(), value));
    }
    int32_t Width(const char* text) {
        KPoint extent;
        K3DFontInfo copy(info);
        EXPECT_TRUE(fonts->Measure(KTestText(text), copy, &extent));
        return extent.x;
    }

    KTestFolder folder;
    DefaultSettings settings;
    std::unique_ptr<K3DFonts> fonts;
    K3DFontInfo info;
};

TEST_F(SystemFont, ListOrderAndLookup) {
    ASSERT_TRUE(fonts->Head()->Name().IsEmpty());
    const K3DFont* previous = nullptr;
    for (const K3DFont& font : *fonts) {
        if (previous && previous != fonts->Head()) {
            EXPECT_LE(previous->Name().Compare(font.Name(), -1, KString::kIgnoreCase), 0);
        }
        previous = &font;
    }
    EXPECT_EQ(fonts->Find(KTestText("dejavu sans")), nullptr);  // exact names only
    K3DFont* dejavu = fonts->Find(KTestText("DejaVu Sans"));
    EXPECT_EQ(fonts->Find(KTestText("DejaVu Sans")), dejavu);
    EXPECT_FALSE(dejavu->HasFixedSizes());
    EXPECT_EQ(dejavu->DefaultSize(), 50);
    EXPECT_TRUE(dejavu->IsValidSize(999));
    // Without Arial installed, Arial is its metric twin.
    K3DFont* arial = fonts->Find(KTestText("Arial"));
    ASSERT_NE(arial, nullptr);
    if (!arial->Name().Equals(KTestText("Arial"))) {
        EXPECT_EQ(KUtf8Of(arial->Name()), "Liberation Sans");
    }
}

TEST_F(SystemFont, ShadowGrowsWithTheSize) {
    for (const auto& [size, shadow] : {std::pair{200, 5}, {10, 2}, {400, 6}, {100, 2}}) {
        info.SetSize(size);
        const Drawn::Glyph g = Glyph(u'I');
        EXPECT_EQ(g.rect.bottom + 1, size);
        EXPECT_EQ(LowestRow(g, kGreen) - LowestRow(g, kRed), shadow) << size;
    }
    info.SetSize(400);
    info.shadowSize = 3;
    const Drawn::Glyph smaller = Glyph(u'I');
    EXPECT_EQ(LowestRow(smaller, kGreen) - LowestRow(smaller, kRed), 3);
    info.shadowSize = 9;  // larger than automatic: stays automatic
    const Drawn::Glyph larger = Glyph(u'I');
    EXPECT_EQ(LowestRow(larger, kGreen) - LowestRow(larger, kRed), 6);
    info.shadowSize = 0;
    EXPECT_EQ(Count(Glyph(u'I'), kGreen), 0u);
}

TEST_F(SystemFont, BorderIsOnePixelOrNone) {
    info.SetSize(60);
    const Drawn::Glyph automatic = Glyph(u'O');
    EXPECT_GT(Count(automatic, kRed), 0u);
    info.borderSize = 5;
    EXPECT_EQ(Glyph(u'O').pixels, automatic.pixels);
    info.borderSize = 0;
    const Drawn::Glyph none = Glyph(u'O');
    EXPECT_EQ(Count(none, kRed), 0u);
    EXPECT_GT(Count(none, kWhite), 0u);
}

TEST_F(SystemFont, HollowTextIsBorderAndShadow) {
    info.SetSize(60);
    info.face = kColorBackground;
    const Drawn::Glyph g = Glyph(u'H');
    EXPECT_EQ(Count(g, kWhite), 0u);
    EXPECT_GT(Count(g, kRed), 0u);
    EXPECT_GT(Count(g, kGreen), 0u);
    // The stems are left transparent inside their outline.
    info.face = kColorWhite;
    EXPECT_GT(Count(g, kTransparentPixel), Count(Glyph(u'H'), kTransparentPixel));
}

TEST_F(SystemFont, ThresholdDecidesTheBlend) {
    info.SetSize(60);
    info.border = kColorBlack;
    auto greys = [this] {
        const Drawn::Glyph g = Glyph(u'S');
        return std::count_if(g.pixels.begin(), g.pixels.end(), [](uint32_t p) {
            return p != 0 && p != kWhite && p != kGreen && p != kTransparentPixel;
        });
    };
    KRInt* enable = settings.Int("\\Display\\AntiAlias\\Enable");
    enable->value = 0;  // only full coverage is ink: no blend can show
    EXPECT_EQ(greys(), 0);
    enable->value = 100;
    const auto full = greys();
    EXPECT_GT(full, 0);
    enable->value = 75;
    EXPECT_LT(greys(), full);
}

TEST_F(SystemFont, DigitsShareOneCell) {
    for (int size : {34, 100}) {
        info.SetSize(size);
        const int32_t zero = Glyph(u'0').rect.right;
        for (KChar d = u'1'; d <= u'9'; ++d) EXPECT_EQ(Glyph(d).rect.right, zero) << size;
    }
}

TEST_F(SystemFont, WidthPercentAndSqueeze) {
    info.SetSize(50);
    const int32_t natural = Width("WIDE TEXT");
    info.SetWidthPercent(50);
    EXPECT_LT(Width("WIDE TEXT"), natural * 3 / 4);

    info.SetWidthPercent(100);
    info.SetSqueeze(true);
    info.SetSqueezeMinimum(50);
    KString text = KTestText("WIDE TEXT");
    int32_t room = natural * 4 / 5;
    EXPECT_TRUE(fonts->Fit(text, info, &room, nullptr));
    EXPECT_EQ(KUtf8Of(text), "WIDE TEXT");  // squeezed, not cut
    EXPECT_LE(room, natural * 4 / 5);
    EXPECT_GT(info.CharWidth(), 0);

    // Too narrow even at the minimum: cut at the narrowest width.
    K3DFontInfo tight(info);
    room = natural / 4;
    EXPECT_TRUE(fonts->Fit(text, tight, &room, nullptr));
    EXPECT_LT(text.Length(), 9);
    EXPECT_LE(room, natural / 4);
}

TEST_F(SystemFont, FullStringsAreShapedAndCut) {
    info.SetSize(50);
    info.textHandling = 2;
    info.borderSize = 0;
    info.shadowSize = 0;
    // Kerning pulls A and V together when the string is drawn as a whole.
    EXPECT_LT(Width("AV"), Width("A") + Width("V"));
    // The fit keeps the longest prefix that fits.
    KString text = KTestText("Hello World");
    int32_t room = 150;
    EXPECT_TRUE(fonts->Fit(text, info, &room, nullptr));
    ASSERT_GT(text.Length(), 0);
    ASSERT_LT(text.Length(), 11);
    EXPECT_EQ(room, Width(KUtf8Of(text).c_str()));
    EXPECT_GT(Width(("Hello World" + std::string()).substr(0, text.Length() + 1).c_str()), 150);
    // Text handling 1 takes the full string only for characters past 255.
    info.textHandling = 1;
    EXPECT_FALSE(Font().UseFullString(KTestText("Zürich"), info));
    EXPECT_TRUE(Font().UseFullString(KTestText("Zürich €"), info));
    info.textHandling = -1;
    settings.Int("\\Display\\DrawText")->value = 2;
    EXPECT_TRUE(Font().UseFullString(KTestText("A"), info));
}

TEST_F(SystemFont, LongTextsAreCutTo4095) {
    info.SetSize(10);
    info.textHandling = 2;
    const std::string many(5000, 'i');
    EXPECT_EQ(Width(many.c_str()), Width(many.substr(0, 4095).c_str()));
    EXPECT_GT(Width(many.substr(0, 4095).c_str()), Width(many.substr(0, 4000).c_str()));
}

TEST_F(SystemFont, CachedCellsEqualFreshOnes) {
    const char* texts[] = {"12:34.5", "Wg", "AV fi"};
    auto drawAll = [this, &texts] {
        std::vector<Drawn::Glyph> all;
        for (int handling : {0, 2}) {
            for (int size : {20, 100}) {
                for (const char* text : texts) {
                    K3DFontInfo copy(info);
                    copy.textHandling = handling;
                    copy.SetSize(size);
                    copy.SetWidthPercent(size == 20 ? 100 : 80);
                    Drawn drawn;
                    EXPECT_TRUE(fonts->Draw(KTestText(text), copy, Drawn::Keep, &drawn, nullptr));
                    all.insert(all.end(), drawn.glyphs.begin(), drawn.glyphs.end());
                }
            }
        }
        return all;
    };
    fonts->Cache().SetBudget(0);
    const std::vector<Drawn::Glyph> fresh = drawAll();
    fonts->Cache().SetBudget(K3DFonts::kCacheBytes);
    const std::vector<Drawn::Glyph> stored = drawAll();
    EXPECT_GT(fonts->Cache().Bytes(), 0u);
    const std::vector<Drawn::Glyph> reused = drawAll();
    ASSERT_EQ(fresh.size(), stored.size());
    ASSERT_EQ(fresh.size(), reused.size());
    for (size_t i = 0; i < fresh.size(); ++i) {
        EXPECT_EQ(fresh[i].pixels, stored[i].pixels) << i;
        EXPECT_EQ(fresh[i].pixels, reused[i].pixels) << i;
        EXPECT_EQ(fresh[i].rect.right, reused[i].rect.right) << i;
    }
    // A changed setting is a different cell, not a stale one.
    settings.Int("\\Display\\AntiAlias\\Enable")->value = 0;
    fonts->Cache().SetBudget(0);
    const std::vector<Drawn::Glyph> sharp = drawAll();
    fonts->Cache().SetBudget(K3DFonts::kCacheBytes);
    const std::vector<Drawn::Glyph> sharpCached = drawAll();
    for (size_t i = 0; i < sharp.size(); ++i) EXPECT_EQ(sharp[i].pixels, sharpCached[i].pixels);
    EXPECT_NE(sharp[0].pixels, fresh[0].pixels);
}

TEST_F(SystemFont, CachedCellsListTheirInkRunsExactly) {
    // A transparent back leaves holes in the rows; a border and a shadow
    // add runs of other colours.
    info.SetSize(60);
    info.back = kColorBackground;
    for (const char* text : {"0", "W", "AV fi"}) {
        K3DFontInfo copy(info);
        copy.textHandling = text[1] ? 2 : 0;
        K3DGlyph glyph;
        KPoint extent;
        const KString chars = KTestText(text);
        ASSERT_TRUE(text[1] ? Font().StringGlyph(chars, copy, &glyph, &extent)
                            : Font().CharGlyph(chars.CharAt(0), copy, &glyph, &extent));
        ASSERT_NE(glyph.runs, nullptr) << text;
        size_t holes = 0;
        for (int32_t y = 0; y < extent.y; ++y) {
            const uint32_t* row = glyph.pixels + y * extent.x;
            std::vector<bool> ink(extent.x, false);
            int32_t after = 0;  // a run starts past the end of the one before
            for (int32_t i = glyph.rowStart[y]; i < glyph.rowStart[y + 1]; ++i) {
                const K3DInkRun& run = glyph.runs[i];
                ASSERT_LE(after, run.first) << text << " row " << y;
                ASSERT_LE(run.first, run.last);
                ASSERT_LT(run.last, extent.x);
                for (int32_t x = run.first; x <= run.last; ++x) ink[x] = true;
                after = run.last + 2;  // touching runs would be one
            }
            for (int32_t x = 0; x < extent.x; ++x) {
                ASSERT_EQ(ink[x], row[x] != kTransparentPixel) << text << " " << x << "," << y;
                holes += x > 0 && ink[x - 1] && !ink[x];
            }
        }
        EXPECT_GT(holes, 0u) << text;
    }
    // A cell the cache does not keep comes without runs.
    fonts->Cache().SetBudget(0);
    K3DGlyph glyph;
    KPoint extent;
    K3DFontInfo copy(info);
    ASSERT_TRUE(Font().CharGlyph(u'0', copy, &glyph, &extent));
    EXPECT_EQ(glyph.runs, nullptr);
}

TEST_F(SystemFont, TheCacheStaysWithinItsBudget) {
    fonts->Cache().SetBudget(200000);
    info.SetSize(100);
    for (KChar c = u'A'; c <= u'Z'; ++c) Glyph(c);
    EXPECT_LE(fonts->Cache().Bytes(), 200000u);
    EXPECT_GT(fonts->Cache().Bytes(), 100000u);
}

}  // namespace

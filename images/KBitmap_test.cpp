#include "KBitmap.h"

#include <gtest/gtest.h>

#include "ImagesTestSupport.h"
#include "KTestSupport.h"

namespace {

TEST(KBitmap, LayoutOfEachFormat) {
    struct Case {
        int32_t format, bytesPerPixel;
        int64_t stride;
        int32_t depthCode;
    } cases[] = {
        {KBitmap::kImageFormat, 3, 16, 24},  // 5 × 3 = 15, padded to 16
        {KBitmap::kBufferFormat, 4, 20, 32},
        {KBitmap::kDepth24 | KBitmap::kAlign1, 3, 15, -24},
        {KBitmap::kDepth24, 3, 15, -24},  // no alignment bit is 1 byte
        {KBitmap::kDepth16 | KBitmap::kAlign4, 2, 12, 0},
        {KBitmap::kDepth15 | KBitmap::kAlign2, 2, 10, 0},
        {KBitmap::kGrey8 | KBitmap::kDepth32 | KBitmap::kAlign4, 1, 8, 0},  // lowest bit wins
    };
    for (const Case& c : cases) {
        KBitmap bitmap(5, 2, c.format);
        EXPECT_EQ(bitmap.BytesPerPixel(), c.bytesPerPixel) << c.format;
        EXPECT_EQ(bitmap.Stride(), c.stride) << c.format;
        EXPECT_EQ(bitmap.DepthCode(), c.depthCode) << c.format;
        ASSERT_TRUE(bitmap.Allocate());
        EXPECT_EQ(bitmap.Row(1) - bitmap.Row(0), c.stride);
        EXPECT_EQ(bitmap.Row(2), nullptr);
        EXPECT_EQ(bitmap.Row(-1), nullptr);
    }
    KBitmap none(5, 2, KBitmap::kAlign4);
    EXPECT_FALSE(none.Allocate());
}

TEST(KBitmap, PixelsInEveryDepth) {
    const uint32_t colour = 0x80C0FF;
    struct Case {
        int32_t format;
        uint32_t readBack;
    } cases[] = {
        {KBitmap::kImageFormat, 0x80C0FF},
        {KBitmap::kBufferFormat, 0x80C0FF},
        {KBitmap::kDepth16 | KBitmap::kAlign4, 0x80C0F8},  // 5-bit fields at the top of the byte
        {KBitmap::kDepth15, 0x80C0F8},
        {KBitmap::kGrey8 | KBitmap::kAlign4, 0xBFBFBF},  // (128 + 192 + 255) / 3
    };
    for (const Case& c : cases) {
        KBitmap bitmap(3, 2, c.format);
        ASSERT_TRUE(bitmap.Allocate());
        bitmap.Fill(0x000000);
        bitmap.SetPixel(2, 1, colour);
        bitmap.SetPixel(3, 1, 0xFFFFFF);  // outside: ignored
        bitmap.SetPixel(-1, 0, 0xFFFFFF);
        EXPECT_EQ(bitmap.GetPixel(2, 1), c.readBack) << c.format;
        EXPECT_EQ(bitmap.GetPixel(1, 1), 0u);
        EXPECT_EQ(bitmap.GetPixel(5, 5), 0u);
    }
    KBitmap buffer(2, 1, KBitmap::kBufferFormat);
    ASSERT_TRUE(buffer.Allocate());
    buffer.Fill(0x123456);
    EXPECT_EQ(buffer.Row(0)[0], 0x56);
    EXPECT_EQ(buffer.Row(0)[2], 0x12);
    EXPECT_EQ(buffer.Row(0)[3], 0);
}

TEST(KBitmap, FillRectIsClipped) {
    KBitmap bitmap(4, 3, KBitmap::kImageFormat);
    ASSERT_TRUE(bitmap.Allocate());
    bitmap.Fill(0x000000);
    bitmap.FillRect(2, -5, 10, 1, 0xFF0000);
    bitmap.FillRect(3, 2, 1, 2, 0x00FF00);  // empty
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(bitmap.GetPixel(x, y), x >= 2 && y <= 1 ? 0xFF0000u : 0u) << x << "," << y;
}

TEST(KBitmap, BlocksBorrowedKeptAndCapped) {
    KBitmap bitmap(100, 10, KBitmap::kImageFormat | KBitmap::kKeepLarger);
    ASSERT_TRUE(bitmap.Allocate());
    uint8_t* block = bitmap.Row(0);
    bitmap.SetSize(10, 10);
    ASSERT_TRUE(bitmap.Allocate());
    EXPECT_EQ(bitmap.Row(0), block);  // the larger block stays
    bitmap.SetFormat(KBitmap::kImageFormat);
    bitmap.SetSize(20, 10);
    ASSERT_TRUE(bitmap.Allocate());
    bitmap.SetSize(16384, 16384);  // 768 MiB, above the cap
    EXPECT_FALSE(bitmap.Allocate());
    EXPECT_EQ(bitmap.Row(0), nullptr);

    uint32_t pixels[4] = {};
    KBitmap borrowed(2, 2, KBitmap::kBufferFormat);
    borrowed.Borrow(reinterpret_cast<uint8_t*>(pixels));
    EXPECT_TRUE(borrowed.Allocate());
    borrowed.SetPixel(1, 1, 0xABCDEF);
    EXPECT_EQ(pixels[3], 0xABCDEFu);
}

TEST(KBitmap, CopyFromNeedsTheSameShape) {
    KBitmap a(3, 2, KBitmap::kImageFormat), b(3, 2, KBitmap::kImageFormat);
    KBitmap c(3, 2, KBitmap::kBufferFormat), d(2, 3, KBitmap::kImageFormat);
    for (KBitmap* bitmap : {&a, &b, &c, &d}) ASSERT_TRUE(bitmap->Allocate());
    a.Fill(0x010203);
    a.SetPixel(2, 1, 0xFFEEDD);
    EXPECT_TRUE(b.CopyFrom(a));
    EXPECT_EQ(b.GetPixel(2, 1), 0xFFEEDDu);
    EXPECT_EQ(b.GetPixel(0, 0), 0x010203u);
    EXPECT_FALSE(c.CopyFrom(a));
    EXPECT_FALSE(d.CopyFrom(a));
}

TEST(KBitmap, ScaledByNearestNeighbour) {
    KBitmap row(3, 1, KBitmap::kImageFormat);
    ASSERT_TRUE(row.Allocate());
    row.SetPixel(0, 0, 0xFF0000), row.SetPixel(1, 0, 0x00FF00), row.SetPixel(2, 0, 0x0000FF);
    row.SetDelay(70);
    auto wide = row.Scaled(6, 1);
    ASSERT_TRUE(wide);
    const uint32_t expected[6] = {0xFF0000, 0xFF0000, 0x00FF00, 0x00FF00, 0x0000FF, 0x0000FF};
    for (int x = 0; x < 6; ++x) EXPECT_EQ(wide->GetPixel(x, 0), expected[x]) << x;
    EXPECT_EQ(wide->Delay(), 70);
    EXPECT_EQ(wide->Format(), KBitmap::kImageFormat);

    auto narrow = row.Scaled(2, -1);  // a negative side keeps it
    ASSERT_TRUE(narrow);
    EXPECT_EQ(narrow->Height(), 1);
    EXPECT_EQ(narrow->GetPixel(1, 0), 0x00FF00u);  // column 3 × 1 / 2

    EXPECT_FALSE(row.Scaled(0, 1));
    EXPECT_FALSE(row.Scaled(16385, 1));
    KBitmap word(3, 1, KBitmap::kDepth16);
    ASSERT_TRUE(word.Allocate());
    EXPECT_FALSE(word.Scaled(6, 1));  // only 24- and 32-bit pictures scale

    KBitmap tall(1, 4, KBitmap::kBufferFormat);
    ASSERT_TRUE(tall.Allocate());
    for (int y = 0; y < 4; ++y) tall.SetPixel(0, y, y);
    auto half = tall.Scaled(1, 2);
    ASSERT_TRUE(half);
    EXPECT_EQ(half->GetPixel(0, 0), 0u);
    EXPECT_EQ(half->GetPixel(0, 1), 2u);
}

TEST(KBitmap, SavesRgbPng) {
    KTestFolder folder;
    KBitmap bitmap(3, 2, KBitmap::kImageFormat);
    ASSERT_TRUE(bitmap.Allocate());
    bitmap.Fill(0x102030);
    bitmap.SetPixel(2, 1, 0xFF8001);
    ASSERT_TRUE(bitmap.SavePng(folder.Path("out.png")));
    const TestPicture png = ReadPng(folder.Path("out.png"));
    ASSERT_EQ(png.width, 3);
    ASSERT_EQ(png.height, 2);
    EXPECT_EQ(png.At(0, 0), 0x102030u);
    EXPECT_EQ(png.At(2, 1), 0xFF8001u);
    EXPECT_FALSE(bitmap.SavePng(folder.Path("missing/out.png")));
    KBitmap empty;
    EXPECT_FALSE(empty.SavePng(folder.Path("empty.png")));
}

}  // namespace

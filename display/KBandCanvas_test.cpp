#include "KBandCanvas.h"

#include <gtest/gtest.h>

#include <vector>

#include "KBitmap.h"

namespace {

// The band's pixels as logical rows, whatever the rotation.
std::vector<uint32_t> Logical(const KBandCanvas& canvas, int32_t rotation) {
    const KRect b = canvas.Band();
    const int64_t w = b.Width(), h = b.Height();
    std::vector<uint32_t> out;
    for (int32_t y = b.top; y <= b.bottom; ++y) {
        for (int32_t x = b.left; x <= b.right; ++x) {
            int64_t at = (y - b.top) * w + (x - b.left);
            if (rotation == 1) at = (b.right - x) * h + (y - b.top);
            if (rotation == 2) at = (x - b.left) * h + (b.bottom - y);
            out.push_back(canvas.Pixels()[at]);
        }
    }
    return out;
}

}  // namespace

TEST(KBandCanvas, CacheSizeIsClampedWhenAllocated) {
    EXPECT_EQ(KBandCanvas(0).Bytes(), 262144);
    EXPECT_EQ(KBandCanvas(2000000000).Bytes(), 268435456);
    EXPECT_EQ(KBandCanvas(1048576).RowsFor(1000), 262);
}

TEST(KBandCanvas, EveryDepthLandsAtTheSameLogicalPlaceInEveryRotation) {
    // A 3 x 2 source at (11, 21) in a band (10, 20)-(14, 23): pixels 1..6.
    const uint32_t p32[] = {1, 2, 3, 4, 5, 6};
    const uint8_t padded[] = {1, 0, 0, 2, 0, 0, 3, 0, 0, 0, 0, 0,  // 9 bytes + 3 padding
                              4, 0, 0, 5, 0, 0, 6, 0, 0, 0, 0, 0};
    const uint8_t packed[] = {1, 0, 0, 2, 0, 0, 3, 0, 0, 4, 0, 0, 5, 0, 0, 6, 0, 0};
    const std::vector<uint32_t> expected = {9, 9, 9, 9, 9,  //
                                            9, 1, 2, 3, 9,  //
                                            9, 4, 5, 6, 9,  //
                                            9, 9, 9, 9, 9};
    const KRect band{10, 20, 14, 23}, rect{11, 21, 13, 22}, all{-1000, -1000, 1000, 1000};
    KBandCanvas canvas(0);
    for (int32_t rotation = 0; rotation <= 2; ++rotation) {
        const std::pair<int32_t, const void*> sources[] = {{32, p32}, {24, padded}, {-24, packed}};
        for (const auto& [depth, pixels] : sources) {
            canvas.Begin(band, rotation);
            canvas.Fill(9);
            canvas.CopyPixels(rect, pixels, depth, all, -1);
            EXPECT_EQ(Logical(canvas, rotation), expected) << rotation << " " << depth;
            canvas.End();
        }
    }
}

TEST(KBandCanvas, KeyClipAndBandLimitWhatIsCopied) {
    KBandCanvas canvas(0);
    const uint32_t src[] = {0, 7, 0, 7, 0, 7, 0, 7, 0};  // 3 x 3
    canvas.Begin({0, 0, 3, 2}, 0);
    canvas.Fill(5);
    // Key 0 leaves the black pixels out; the clip takes the first column
    // away; the band cuts the source at its right edge (x = 3).
    canvas.CopyPixels({1, 0, 3, 2}, src, 32, {2, 0, 100, 100}, 0);
    EXPECT_EQ(Logical(canvas, 0), (std::vector<uint32_t>{5, 5, 7, 5,  //
                                                         5, 5, 5, 7,  //
                                                         5, 5, 7, 5}));
    canvas.CopyPixels({0, 0, 2, 2}, src, 16, {0, 0, 3, 2}, -1);  // no such depth
    canvas.End();
    EXPECT_EQ(Logical(canvas, 0)[0], 5u);
    canvas.CopyPixels({0, 0, 2, 2}, src, 32, {0, 0, 3, 2}, -1);  // outside a band
    EXPECT_EQ(canvas.Pixels()[0], 5u);
}

TEST(KBandCanvas, PicturesAreCentredAndCroppedEvenly) {
    KBitmap image(4, 4, KBitmap::kImageFormat);
    ASSERT_TRUE(image.Allocate());
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 4; ++x) image.SetPixel(x, y, 10 * y + x + 1);
    KBandCanvas canvas(0);
    canvas.Begin({0, 0, 5, 3}, 0);
    canvas.Fill(0);
    // Object 2 x 2 at (1, 1): the middle four pixels of the picture.
    canvas.DrawImageCentred({1, 1, 2, 2}, image, -1);
    // Object 3 x 1 at (3, 0): offsets (-0, -1), so column 0..2 of row 1.
    canvas.DrawImageCentred({3, 0, 5, 0}, image, -1);
    EXPECT_EQ(Logical(canvas, 0), (std::vector<uint32_t>{0, 0,  0,  11, 12, 13,  //
                                                         0, 12, 13, 0,  0,  0,   //
                                                         0, 22, 23, 0,  0,  0,   //
                                                         0, 0,  0,  0,  0,  0}));
    // An object spanning every coordinate has its centre at (-0.5, -0.5).
    canvas.Fill(0);
    canvas.DrawImageCentred({INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, image, -1);
    EXPECT_EQ(Logical(canvas, 0), (std::vector<uint32_t>{23, 24, 0, 0, 0, 0,  //
                                                         33, 34, 0, 0, 0, 0,  //
                                                         0,  0,  0, 0, 0, 0,  //
                                                         0,  0,  0, 0, 0, 0}));
    canvas.End();
}

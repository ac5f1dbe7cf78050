#include "KFrameBufferSurface.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A 6 x 4 window whose pixel (x, y) holds 10 * y + x + 1.
KFrameBufferSurface Numbered() {
    KFrameBufferSurface surface;
    surface.Move({0, 0, 5, 3});
    std::vector<uint32_t> pixels(24);
    for (uint32_t i = 0; i < 24; ++i) pixels[i] = 10 * (i / 6) + i % 6 + 1;
    surface.CopyBand({0, 0, 5, 3}, pixels.data());
    return surface;
}

uint32_t Numbered(int32_t x, int32_t y) {
    return 10 * y + x + 1;
}

// Overlapping moves in each direction are covered by the scrolling tests;
// here the edges of the contract.
TEST(FrameBufferSurface, RegionCopyMovesOnlyPixelsThatAreThereAndStayThere) {
    KFrameBufferSurface surface = Numbered();
    // A column carried to the far edge, and one pushed off the window.
    ASSERT_TRUE(surface.CopyRegion({0, 0, 0, 3}, 5, 0));
    EXPECT_EQ(surface.Pixel(5, 2), Numbered(0, 2));
    ASSERT_TRUE(surface.CopyRegion({4, 0, 5, 3}, 1, 0));
    EXPECT_EQ(surface.Pixel(5, 2), Numbered(4, 2));
    EXPECT_EQ(surface.Pixel(4, 2), Numbered(4, 2));
    ASSERT_TRUE(surface.CopyRegion({0, 1, 5, 3}, 0, -1));  // rows moving up, overlapping
    EXPECT_EQ(surface.Pixel(1, 0), Numbered(1, 1));
    EXPECT_EQ(surface.Pixel(1, 2), Numbered(1, 3));
    ASSERT_TRUE(surface.CopyRegion({0, 0, 5, 3}, 2147483647, 0));
    ASSERT_TRUE(surface.CopyRegion({1, 1, 0, 0}, 1, 1));  // empty

    // A source reaching past the window: what lies inside moves, the column
    // it would have filled from outside keeps its pixels.
    surface = Numbered();
    ASSERT_TRUE(surface.CopyRegion({0, 0, 6, 3}, -1, 0));
    EXPECT_EQ(surface.Pixel(0, 1), Numbered(1, 1));
    EXPECT_EQ(surface.Pixel(4, 1), Numbered(5, 1));
    EXPECT_EQ(surface.Pixel(5, 1), Numbered(5, 1));

    KFrameBufferSurface none;  // no pixels at all: the copy fails
    EXPECT_FALSE(none.CopyRegion({0, 0, 0, 0}, 1, 0));
}

}  // namespace

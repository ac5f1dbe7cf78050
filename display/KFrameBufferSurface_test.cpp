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

TEST(FrameBufferSurface, RegionCopyMovesOverlappingPixelsInEveryDirection) {
    // The whole window less one line, moved by one: source and target overlap.
    for (const auto& [dx, dy] : {std::pair{-1, 0}, {1, 0}, {0, -1}, {0, 1}, {2, 1}}) {
        KFrameBufferSurface surface = Numbered();
        const KRect rect{std::max(0, -dx), std::max(0, -dy), 5 - std::max(0, dx),
                         3 - std::max(0, dy)};
        ASSERT_TRUE(surface.RegionCopy(rect, dx, dy));
        for (int32_t y = 0; y < 4; ++y) {
            for (int32_t x = 0; x < 6; ++x) {
                const bool moved = x - dx >= rect.left && x - dx <= rect.right &&
                                   y - dy >= rect.top && y - dy <= rect.bottom;
                EXPECT_EQ(surface.Pixel(x, y), moved ? Numbered(x - dx, y - dy) : Numbered(x, y))
                    << dx << "," << dy << " at " << x << "," << y;
            }
        }
    }
}

TEST(FrameBufferSurface, RegionCopyDropsWhatLeavesAndRefusesOutsideSources) {
    KFrameBufferSurface surface = Numbered();
    // A column carried to the far edge, and one pushed off the window.
    ASSERT_TRUE(surface.RegionCopy({0, 0, 0, 3}, 5, 0));
    EXPECT_EQ(surface.Pixel(5, 2), Numbered(0, 2));
    ASSERT_TRUE(surface.RegionCopy({4, 0, 5, 3}, 1, 0));
    EXPECT_EQ(surface.Pixel(5, 2), Numbered(4, 2));
    ASSERT_TRUE(surface.RegionCopy({0, 0, 5, 3}, 2147483647, 0));
    ASSERT_TRUE(surface.RegionCopy({1, 1, 0, 0}, 1, 1));  // empty

    const std::vector<uint32_t> before = surface.Pixels();
    EXPECT_FALSE(surface.RegionCopy({0, 0, 6, 3}, -1, 0));
    EXPECT_FALSE(surface.RegionCopy({-1, 0, 2, 3}, 1, 0));
    EXPECT_EQ(surface.Pixels(), before);
}

}  // namespace

#include "KPngEncoder.h"

#include <gtest/gtest.h>

#include "KColorTable.h"
#include "WebTestSupport.h"

namespace {

std::vector<uint32_t> RoundTrip(const std::vector<uint32_t>& pixels, int32_t width, int32_t height,
                                size_t pitch, bool transparent) {
    KPngEncoder encoder;
    std::vector<uint8_t> png;
    if (!encoder.Encode(pixels.data(), width, height, pitch, transparent, png)) return {};
    int w = 0, h = 0;
    std::vector<uint32_t> out = DecodePng(std::string(png.begin(), png.end()), &w, &h);
    return w == width && h == height ? out : std::vector<uint32_t>{};
}

TEST(PngEncoder, PixelsComeBackOpaqueAndTheBackgroundTransparentOnlyWhenAsked) {
    // Two rows of three pixels taken from a buffer four pixels wide.
    const std::vector<uint32_t> pixels = {0x123456,          kTransparentPixel, 0xFFFFFF, 0x999999,
                                          kTransparentPixel, 0x000000,          0xFF0000, 0x999999};
    EXPECT_EQ(RoundTrip(pixels, 3, 2, 4, false),
              (std::vector<uint32_t>{0xFF123456, 0xFF000000, 0xFFFFFFFF, 0xFF000000, 0xFF000000,
                                     0xFFFF0000}));
    EXPECT_EQ(RoundTrip(pixels, 3, 2, 4, true),
              (std::vector<uint32_t>{0xFF123456, 0x00000000, 0xFFFFFFFF, 0x00000000, 0xFF000000,
                                     0xFFFF0000}));
}

TEST(PngEncoder, AnEmptyOrHugePictureIsRefused) {
    KPngEncoder encoder;
    std::vector<uint8_t> png{1, 2, 3};
    const uint32_t pixel = 0;
    EXPECT_FALSE(encoder.Encode(&pixel, 0, 1, 1, false, png));
    EXPECT_TRUE(png.empty());
    EXPECT_FALSE(encoder.Encode(&pixel, 1, 100000, 1, false, png));
}

}  // namespace

#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Encodes pictures of 0x00RRGGBB pixels as 8-bit RGBA PNG in memory, for
// browsers: fast rather than small (the quickest compression). The pixel
// kTransparentPixel, where the layout shows its Background, gets alpha 0
// when transparent is set and is black otherwise; every other pixel is
// opaque. The encoder keeps its row buffer from picture to picture.
class KPngEncoder {
  public:
    // pixels: height rows of width pixels, each row pitch pixels after the
    // one before. Replaces out with the PNG; false (out empty) when the size
    // is empty or too large for a PNG.
    bool Encode(const uint32_t* pixels, int32_t width, int32_t height, size_t pitch,
                bool transparent, std::vector<uint8_t>& out);

  private:
    std::vector<uint8_t> row_;
};

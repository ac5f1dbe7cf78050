#pragma once

#include <cstdint>
#include <memory>

#include "KPoint.h"

class KBitmap;

// The display cache: one block, allocated once, in which a layout is
// composed band by band. A band is stored in the window's physical
// orientation, so it goes to the window unchanged: for a band (l, t, r, b)
// of width w and height h, logical pixel (x, y) lies at
//   rotation 0: (y - t) * w + (x - l)   (row-major)
//   rotation 1: (r - x) * h + (y - t)   (the layout's top at the window's left)
//   rotation 2: (x - l) * h + (b - y)   (the layout's top at the window's right)
// Copies outside a band are ignored.
class KBandCanvas {
  public:
    static constexpr int64_t kMinBytes = 0x40000;
    static constexpr int64_t kMaxBytes = 0x10000000;

    // The cache size is clamped to kMinBytes..kMaxBytes; a failed allocation
    // leaves a cache of 0 bytes, on which nothing is ever drawn.
    explicit KBandCanvas(int64_t bytes);

    int64_t Bytes() const { return bytes_; }
    // How many rows of this width one band holds.
    int64_t RowsFor(int32_t width) const { return bytes_ / (static_cast<int64_t>(width) * 4); }

    // Starts composing a band (logical coordinates) at the rotation.
    void Begin(const KRect& band, int32_t rotation);
    void End() { drawing_ = false; }
    bool IsDrawing() const { return drawing_; }
    const KRect& Band() const { return band_; }
    const uint32_t* Pixels() const { return pixels_.get(); }

    void Fill(uint32_t pixel);
    // Copies the source that covers rect (its width is the source row length)
    // clipped to clip and the band, leaving out pixels equal to key (-1 or
    // any value no pixel has copies everything). depth 32: 32-bit pixels;
    // 24: B, G, R bytes with rows padded to 4 bytes; -24: packed rows. Source
    // rows are top-down. Other depths copy nothing.
    void CopyPixels(const KRect& rect, const void* pixels, int32_t depth, const KRect& clip,
                    int64_t key);
    // Draws a picture centred in an object's rectangle and clipped to it; a
    // larger picture is cropped evenly on both sides.
    void DrawImageCentred(const KRect& object, const KBitmap& image, int64_t key);

  private:
    int64_t bytes_ = 0;
    std::unique_ptr<uint32_t[]> pixels_;
    bool drawing_ = false;
    KRect band_;
    int32_t rotation_ = 0;
};

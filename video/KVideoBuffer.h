#pragma once

#include <cstdint>

#include "K3DFont.h"
#include "KBitmap.h"

// The picture of a video display: logical width × height 32-bit pixels
// (0x00RRGGBB) kept in the owner's physical orientation, so the owner shows
// it unchanged. Rotation 0 stores rows as they are; rotation 1 (left) turns
// the picture a quarter to the left: logical (x, y) lands at physical row
// width-1-x, column y; rotation 2 (right) at physical row x, column
// height-1-y. The physical bitmap is width × height for rotation 0 and
// height × width otherwise. Every drawing operation takes logical
// coordinates (edges inclusive) and clips to the picture; nothing here
// allocates after Allocate.
class KVideoBuffer {
  public:
    static constexpr int32_t kMaxSide = 16384;

    // A new all-black picture of this logical size; false (and no picture)
    // when a side is outside 1..kMaxSide or the memory cannot be had.
    bool Allocate(int32_t width, int32_t height, int32_t rotation);
    void Release();

    bool HasPixels() const { return width_ > 0; }
    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    int32_t Rotation() const { return rotation_; }
    // The picture as the owner shows it: 32-bit, physical orientation.
    const KBitmap& Bitmap() const { return bitmap_; }
    // The pixel at logical (x, y); 0 outside.
    uint32_t Pixel(int32_t x, int32_t y) const;

    // Fills rect with one pixel value; kTransparentPixel fills nothing.
    void Fill(const K3DRect& rect, uint32_t pixel);
    // Copies a glyph's pixels covering rect (rows of rect's width, top-down),
    // leaving out kTransparentPixel, clipped to clip. A glyph with ink runs
    // is copied run by run, without a test per pixel.
    void CopyGlyph(const K3DGlyph& glyph, const K3DRect& rect, const K3DRect& clip);
    // Draws a 24- or 32-bit image scaled (nearest pixel) to target, clipped
    // to clip; only the visible pixels are visited, so a huge target costs no
    // more than the picture.
    void CopyImage(const KBitmap& image, const K3DRect& target, const K3DRect& clip);

  private:
    // rect ∩ clip ∩ picture; false when empty.
    bool Clip(const K3DRect& rect, const K3DRect& clip, K3DRect* out) const;
    // Copies logical columns left..right of row y from source: all of them,
    // or keyed, leaving out kTransparentPixel.
    void CopyRun(const uint32_t* source, int32_t left, int32_t right, int32_t y);
    void CopyKeyed(const uint32_t* source, int32_t left, int32_t right, int32_t y);
    // The physical pixel of logical (x, y) and how far one step right or down moves.
    uint32_t* At(int32_t x, int32_t y) const { return origin_ + x * stepX_ + y * stepY_; }

    KBitmap bitmap_{0, 0, KBitmap::kBufferFormat};
    int32_t width_ = 0;
    int32_t height_ = 0;
    int32_t rotation_ = 0;
    uint32_t* origin_ = nullptr;
    int64_t stepX_ = 0;
    int64_t stepY_ = 0;
};

#pragma once

#include <cstdint>
#include <memory>

#include "KSparseArray.h"

class KStream;

// One glyph of a bitmap font: width × height palette codes 0-8, row 0 at the
// top (0 back, 1 face, 2-6 face darkened by 1-5 eighths, 7 border, 8 shadow).
//
// Record form: character code (1 byte), left, top, right, bottom (int16,
// little-endian), then width × height bytes, bottom row first, where "q".."x"
// (113..120) are codes 1..8 and any other byte is 0.
class K3DSportGlyph : public KSparseArrayItem {
  public:
    // The largest rectangle a record may describe; taller glyphs could never
    // be drawn (sizes end at 999), and the cap keeps a damaged file from
    // asking for gigabytes.
    static constexpr int32_t kMaxWidth = 4096;
    static constexpr int32_t kMaxHeight = 999;

    const char* ClassName() const override { return "K3DSportGlyph"; }

    // The next record of the stream, or null at its end, at a short record
    // (discarded) or at a record whose rectangle is empty, inverted or beyond
    // the caps; raises KX 2001 when the pixels cannot be allocated.
    static std::unique_ptr<K3DSportGlyph> ReadRecord(KStream& stream);

    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    const uint8_t* Codes() const { return codes_.get(); }

  private:
    K3DSportGlyph(int32_t code, int32_t width, int32_t height);

    int32_t width_;
    int32_t height_;
    std::unique_ptr<uint8_t[]> codes_;
};

#pragma once

#include <cstdint>

class KGifSubBlocks;

// The variable-length-code decompressor of GIF image data. Its tables are
// fixed arrays for 12-bit codes, kept and reused from image to image, so
// decoding allocates nothing.
//
// Each code read (LSB first, code size + 1 bits) adds at most one table
// entry: the entry after the last assigned one becomes pending with the code
// as its prefix, and is completed by the next code with that code's first
// character, which also covers a code naming the pending entry itself. The
// code size grows when the pending index reaches 2^(size + 1), up to 12 bits.
class KLzwDecoder {
  public:
    static constexpr int32_t kMaxCodes = 4096;

    // Prepares an image of minimum code size 2..8 (checked by the caller).
    void Start(int32_t minCodeSize);
    // Decodes up to the end code into pixels, which holds capacity indices,
    // and returns the count decoded. Raises 3010 for a code past the last
    // assigned one, more pixels than capacity, or data ending before the
    // end code.
    int64_t Decode(KGifSubBlocks& data, uint8_t* pixels, int64_t capacity);

  private:
    void ResetTable();

    int32_t minCodeSize_ = 0;
    int32_t codeSize_ = 0;
    int32_t clear_ = 0;
    int32_t end_ = 0;
    int32_t last_ = 0;
    int32_t pending_ = -1;
    // Per entry: the code before its last character, that last character,
    // the first character of its string and the string's length.
    int16_t prefix_[kMaxCodes];
    uint8_t suffix_[kMaxCodes];
    uint8_t first_[kMaxCodes];
    uint16_t length_[kMaxCodes];
};

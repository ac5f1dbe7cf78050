#pragma once

#include <cstdint>

#include "KErrors.h"

// The limits every picture loader applies to sizes that come from a file, and
// the size arithmetic they share. Sizes are computed in 64 bits from 32-bit
// inputs, so no product of a side, a depth and an alignment can overflow.

// The largest width or height a loaded picture may have.
constexpr int32_t kMaxImageSide = 16384;
// The most pixel memory (stride × height summed over the frames) the frames
// of one file may take; more is refused as a failed allocation would be.
constexpr int64_t kMaxFramesBytes = int64_t{512} << 20;

// Bytes of one row: bytesPerPixel × width rounded up to alignment (1, 2 or 4).
inline int64_t KRowStride(int32_t width, int32_t bytesPerPixel, int32_t alignment) {
    const int64_t bytes = int64_t{width} * bytesPerPixel;
    return (bytes + alignment - 1) / alignment * alignment;
}

// Raises kErrFileContents for a side read from a file that is above the cap.
void KCheckImageSides(int64_t width, int64_t height);

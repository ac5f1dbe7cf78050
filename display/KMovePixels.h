#pragma once

#include <cstddef>
#include <cstdint>

#include "KPoint.h"

// Moves the pixels of rect by dx, dy inside a buffer of size.width x
// size.height 32-bit pixels whose rows lie pitch pixels apart. The source
// and the destination may overlap; what would come from or land outside the
// buffer is dropped, and the rest of the buffer keeps its pixels. False when
// the buffer has no pixels.
bool KMovePixels(uint32_t* pixels, size_t pitch, KSize size, const KRect& rect, int32_t dx,
                 int32_t dy);

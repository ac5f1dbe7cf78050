#pragma once

#include <cstdint>

#include "KPoint.h"

// The window the display engine draws into, seen from the engine: it is
// moved to a desktop rectangle, kept above other windows or not, and
// receives bands of 32-bit 0x00RRGGBB pixels (rows top-down, the rectangle's
// width per row) at physical rectangles of its client area. Parts of a band
// outside the client area are dropped. The pixel value 0xFF000000 shows as
// black.
class KScreenSurface {
  public:
    virtual ~KScreenSurface() = default;
    // Moves and resizes the window to the inclusive desktop rectangle.
    virtual void Move(const KRect& rect) = 0;
    virtual void SetTopmost(bool on) = 0;
    virtual KSize ClientSize() const = 0;
    virtual void CopyBand(const KRect& physical, const uint32_t* pixels) = 0;
    // Moves the pixels of rect (physical, inclusive) by dx, dy within the
    // client area, as a scroll of the window's own pixels: overlapping source
    // and target are fine, pixels moved past the client area are dropped and
    // those uncovered keep their values. An empty rect moves nothing. False
    // when the copy could not be made.
    virtual bool RegionCopy(const KRect& rect, int32_t dx, int32_t dy) = 0;
    // Everything copied since the last call may be shown now.
    virtual void Present() {}
};

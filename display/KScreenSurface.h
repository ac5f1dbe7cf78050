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
    // Whether the window now fills the main monitor, where the pointer must
    // come back when the operator works elsewhere.
    virtual void SetCoversMainMonitor(bool) {}
    virtual KSize ClientSize() const = 0;
    virtual void CopyBand(const KRect& physical, const uint32_t* pixels) = 0;
    // Moves the pixels of the client-area rectangle physical by dx, dy within
    // the surface (the rectangles may overlap); pixels that would come from or
    // land outside the client area are dropped. False when the surface has
    // no pixels to move.
    virtual bool CopyRegion(const KRect& physical, int32_t dx, int32_t dy) = 0;
    // Everything copied since the last call may be shown now.
    virtual void Present() {}
};

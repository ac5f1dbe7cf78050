#pragma once

#include <cstdint>

#include "K3DCellPalette.h"

// Turns the coverage of white-on-black text (W × E bytes, rows top-down)
// into a glyph cell of CW × S pixels: back colour everywhere, then a shadow
// of H pixels down and to the right of the ink and its border, then a border
// of B pixels (0 or 1) around the ink, then the ink in the face ramp's colour
// for its coverage. The ink starts at (B, B) in the cell.
struct K3DCellPainter {
    const uint8_t* coverage;
    int32_t width;   // W
    int32_t height;  // E
    int32_t borderSize;
    int32_t shadowSize;

    void Paint(const K3DCellPalette& palette, uint32_t* cell, int32_t cellWidth,
               int32_t cellHeight) const;

  private:
    bool IsInk(int32_t x, int32_t y, int threshold) const {
        return x >= 0 && y >= 0 && x < width && y < height && coverage[y * width + x] >= threshold;
    }
};

#include "K3DCellPainter.h"

#include <algorithm>

namespace {

// Writes one pixel, ignoring positions outside the cell.
struct Cell {
    uint32_t* pixels;
    int32_t width;
    int32_t height;
    void Set(int32_t x, int32_t y, uint32_t value) const {
        if (x >= 0 && y >= 0 && x < width && y < height) pixels[y * width + x] = value;
    }
};

}  // namespace

void K3DCellPainter::Paint(const K3DCellPalette& palette, uint32_t* pixels, int32_t cellWidth,
                           int32_t cellHeight) const {
    const Cell cell{pixels, cellWidth, cellHeight};
    std::fill(pixels, pixels + static_cast<size_t>(cellWidth) * cellHeight, palette.back);
    const int t = palette.threshold;
    const int32_t b = borderSize;
    // Shadow: the ink and its border, moved 1..H pixels down and right.
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            if (!IsInk(x, y, t)) continue;
            for (int32_t dy = -b; dy <= b; ++dy) {
                for (int32_t dx = -b; dx <= b; ++dx) {
                    for (int32_t k = 1; k <= shadowSize; ++k)
                        cell.Set(x + b + dx + k, y + b + dy + k, palette.shadow);
                }
            }
        }
    }
    // Face, row by row: the border around each ink pixel, then the ink.
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            if (!IsInk(x, y, t)) continue;
            for (int32_t dy = -b; dy <= b; ++dy) {
                for (int32_t dx = -b; dx <= b; ++dx) {
                    if (!IsInk(x + dx, y + dy, t)) cell.Set(x + b + dx, y + b + dy, palette.border);
                }
            }
            cell.Set(x + b, y + b, palette.ramp[coverage[y * width + x]]);
        }
    }
}

#pragma once

#include <cstdint>

#include "K3DFontInfo.h"
#include "KString.h"

// The memory of the last fit and draw of one text slot, owned by the caller
// that redraws the slot. Fit sets `hit` when the text did not change at all
// and `partialHit` when only digits changed in place; Draw then skips the
// whole text, or the characters whose cells still hold them.
struct K3DFontOptimize {
    static constexpr int kCells = 64;

    struct Cell {
        int16_t width = -1;
        int16_t character = 0;
    };

    void InvalidateCells() { cells[0].width = -1; }

    bool hit = false;
    bool partialHit = false;
    bool result = false;
    int32_t maxWidth = -1;
    int32_t textLength = -1;
    int32_t fittedWidth = -1;
    int32_t fittedLength = -1;  // -1: nothing remembered
    int32_t charWidth = -1;
    K3DFontInfo info;
    KString63 text;
    Cell cells[kCells];
};

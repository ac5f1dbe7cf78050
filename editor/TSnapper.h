#pragma once

#include <cstdint>
#include <vector>

#include "KPoint.h"

// Where a dragged rectangle comes to rest. Its edges and centre are drawn to
// the edges and centres of the other objects and of the layout when one is
// within reach, each axis on its own, and a guide line marks each such
// line; otherwise its position (or the moved edge) falls on the grid. Edges
// are the lines between pixels: a right edge lies after its last column, so
// a rectangle snapped to another's left edge touches it.
class TSnapper {
  public:
    // A line a drag snapped to: vertical lines have an x, horizontal a y.
    struct Guide {
        bool vertical;
        int32_t at;
    };

    // layout: the layout's size; grid: the grid's steps (below 1: none);
    // reach: how far a line draws, in layout pixels.
    TSnapper(KSize layout, KSize grid, int32_t reach);

    // The rectangles of the objects that stay where they are.
    void AddFixed(const KRect& rect);

    // The rectangle moved to `moved`, snapped.
    KRect Move(const KRect& moved);
    // The rectangle with the edges of `edges` (bit 0 left, 1 top, 2 right,
    // 3 bottom) moved to those of `sized`, each moved edge snapped.
    KRect Resize(const KRect& sized, uint32_t edges);

    const std::vector<Guide>& Guides() const { return guides_; }

  private:
    // The offset that brings one of `lines` onto a target line of the axis
    // within reach (the nearest one), or else the grid offset of lines[0].
    int32_t Snap(bool vertical, const std::vector<int32_t>& lines);

    KSize layout_;
    KSize grid_;
    int32_t reach_;
    std::vector<int32_t> targetsX_;
    std::vector<int32_t> targetsY_;
    std::vector<Guide> guides_;
};

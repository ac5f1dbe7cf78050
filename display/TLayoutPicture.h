#pragma once

#include <cstdint>
#include <vector>

#include "KBandCanvas.h"
#include "KPoint.h"
#include "TObjectPainter.h"

class K3DFonts;
class TLayout;

// A whole layout composed as the board composes it (its background, then
// its objects in drawing order, with their current values), unrotated and at
// one layout pixel per picture pixel: what an editor shows under its frames.
class TLayoutPicture {
  public:
    // The largest side composed; a layout reaching further is cut there.
    static constexpr int32_t kMaxSide = 8192;

    explicit TLayoutPicture(K3DFonts& fonts);

    // Composes the layout at this size (each side 1 .. kMaxSide).
    void Compose(TLayout& layout, KSize size);
    // Composes again only the part of the picture within area (layout
    // pixels), as after one object's new value; the size stays.
    void Recompose(TLayout& layout, const KRect& area);

    KSize Size() const { return size_; }
    // Rows top-down, size_.width pixels each, 0xAARRGGBB as the board's.
    const std::vector<uint32_t>& Pixels() const { return pixels_; }
    TObjectPainter& Painter() { return painter_; }

  private:
    K3DFonts& fonts_;
    TObjectPainter painter_;
    KBandCanvas canvas_;
    KSize size_{0, 0};
    std::vector<uint32_t> pixels_;
};

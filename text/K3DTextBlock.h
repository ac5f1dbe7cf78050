#pragma once

#include <cstdint>

#include "K3DFont.h"
#include "K3DFontInfo.h"
#include "KString.h"

class K3DFonts;

// Where a text block goes: each glyph with its rectangle in the target's
// coordinates (to be copied with kTransparentPixel as the transparent key),
// and, before its glyphs, each line with the characters fitted on it.
class K3DTextTarget {
  public:
    virtual ~K3DTextTarget() = default;
    virtual bool Glyph(const uint32_t* pixels, const K3DRect& rect) = 0;
    virtual void Line(const KString&, int32_t /*left*/, int32_t /*top*/, int32_t /*width*/) {}
};

// A text drawn as `lines` lines of the info's size into a rectangle: the
// first line at the top, the last at the bottom, the space between shared
// equally; words wrap at spaces, and a word longer than a line is broken.
// Justification 0 left, 1 centre, 2 right. Nothing is drawn for lines <= 0.
class K3DTextBlock {
  public:
    K3DTextBlock(K3DFonts& fonts, const K3DFontInfo& info) : fonts_(fonts), info_(info) {}

    void Draw(const K3DRect& rect, const KString& text, int32_t justification, int32_t lines,
              K3DTextTarget& target);

  private:
    // Fits the line that starts the remaining text into `line` (its width in
    // *width) and says how many characters it consumes; 0 ends the block.
    int32_t FitLine(const KString& rest, int32_t maxWidth, bool last, KString& line,
                    K3DFontInfo& info, int32_t* width);

    K3DFonts& fonts_;
    const K3DFontInfo& info_;
};

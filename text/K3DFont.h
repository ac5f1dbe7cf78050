#pragma once

#include <cstdint>

#include "K3DFontInfo.h"
#include "KListItem.h"
#include "KPoint.h"
#include "KString.h"

class K3DFonts;
struct K3DFontOptimize;

// A glyph rectangle, edges inclusive, relative to the text origin.
struct K3DRect {
    int32_t left, top, right, bottom;
};

// Columns first..last of a glyph row, none of them kTransparentPixel.
struct K3DInkRun {
    int32_t first, last;
};

// A glyph cell: 32-bit pixels, rows top-down, row length the cell's width.
// When the runs are known (runs not null), row y's pixels other than
// kTransparentPixel are exactly runs[rowStart[y]] up to, not including,
// runs[rowStart[y + 1]], left to right: a copy moves them as plain blocks
// and never looks at a transparent pixel.
struct K3DGlyph {
    const uint32_t* pixels = nullptr;
    const int32_t* rowStart = nullptr;
    const K3DInkRun* runs = nullptr;
};

// Receives each drawn glyph; the rectangle's width is the row length. The
// pixels may be shared scratch space, valid until the next glyph is
// produced. Returning false stops the drawing.
using K3DGlyphSink = bool (*)(const K3DGlyph& glyph, const K3DRect& rect, void* user);

// A font of the font list, found by its face name. Fitting, drawing and
// measuring are the same for every font; the glyphs and the size rules are
// the font's own. A glyph request with a null glyph asks for the extent only.
class K3DFont : public KListItem {
  public:
    explicit K3DFont(const KString& name) : name_(name) {}

    const KString& Name() const { return name_; }

    virtual bool IsValidSize(int32_t size) const { return size > 0; }
    virtual int32_t DefaultSize() const { return 50; }
    virtual bool HasFixedSizes() const { return false; }
    virtual int32_t SizeCount() const { return 0; }
    virtual int32_t SizeAt(int32_t) const { return 0; }
    // Condenses the characters until the text fits maxWidth, setting the
    // info's character width; its width in *width. Only system fonts squeeze.
    virtual bool Squeeze(const KString&, K3DFontInfo&, int32_t, int32_t*) { return false; }
    virtual bool UseFullString(const KString& text, const K3DFontInfo& info) const;
    virtual bool CharGlyph(KChar, K3DFontInfo&, K3DGlyph*, KPoint*) { return false; }
    virtual bool StringGlyph(const KString&, K3DFontInfo&, K3DGlyph*, KPoint*) { return false; }

    // Cuts text to the longest prefix that fits *maxWidth and puts its width
    // there; an optimize record lets an unchanged slot skip the work.
    bool Fit(KString& text, K3DFontInfo& info, int32_t* maxWidth, K3DFontOptimize* optimize);
    // Hands each glyph to the sink, left to right from x = 0; true when any
    // glyph was produced.
    bool Draw(const KString& text, K3DFontInfo& info, K3DGlyphSink sink, void* user,
              K3DFontOptimize* optimize);
    // Width and height of the drawn text; true when the text is empty or any
    // glyph exists.
    bool Measure(const KString& text, K3DFontInfo& info, KPoint* extent);

  protected:
    K3DFonts* Fonts() const;

  private:
    // Step 1 of Fit: answers from the record when it can (true), else
    // prepares the record for a new fit.
    bool Reuse(KString& text, K3DFontInfo& info, int32_t* maxWidth, K3DFontOptimize& optimize);
    bool FitFullString(KString& text, K3DFontInfo& info, int32_t* maxWidth);
    bool FitCharacters(KString& text, K3DFontInfo& info, int32_t* maxWidth);
    bool DrawCharacters(const KString& text, K3DFontInfo& info, K3DGlyphSink sink, void* user,
                        K3DFontOptimize* optimize);

    KString name_;
};

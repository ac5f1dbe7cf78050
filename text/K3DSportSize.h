#pragma once

#include <cstdint>

#include "K3DSportGlyph.h"
#include "KSparseArray.h"

class KStream;

// One size of the bitmap font: the glyphs of one .fnt file by character
// code, keyed by its height, the height of its space glyph (0 without one).
class K3DSportSize : public KSparseArrayItem {
  public:
    const char* ClassName() const override { return "K3DSportSize"; }

    // Reads records up to the end of the stream or the first bad or short
    // one, keeps every complete glyph (a later glyph of the same code
    // replaces the earlier one), then takes the space glyph's height as key.
    // Must be called while the size is in no array.
    void Load(KStream& stream);

    const K3DSportGlyph* Glyph(int32_t code) const { return glyphs_.At(code); }
    int32_t GlyphCount() const { return glyphs_.Count(); }

  private:
    KListOf<K3DSportGlyph, KSparseArray> glyphs_;
};

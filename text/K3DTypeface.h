#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H
#include <hb.h>

#include <cstdint>
#include <string>

#include "K3DScratch.h"
#include "KString.h"

// One font file opened with FreeType at a cell height and character width,
// the way the text output of the system's home platform sizes a font: the
// cell height E (ascent + descent) maps to pixels through the face's Windows
// ascent and descent, and a character width other than 0 scales the face
// horizontally so that its average character width becomes that width.
// A face without a bold style of its own is emboldened.
//
// Advances are whole pixels, as each character is placed on the pixel grid.
// Strings are shaped with HarfBuzz, so kerning, ligatures and scripts
// outside Latin come out right in full-string drawing.
class K3DTypeface {
  public:
    K3DTypeface(FT_Library library, const std::string& file, int index, bool embolden);
    ~K3DTypeface();
    K3DTypeface(const K3DTypeface&) = delete;
    K3DTypeface& operator=(const K3DTypeface&) = delete;

    bool IsOpen() const { return face_ != nullptr; }
    // Sizes the face; false when FreeType refuses the size.
    bool SetSize(int32_t height, int32_t charWidth);
    int32_t Ascent() const { return ascent_; }
    int32_t Height() const { return height_; }
    int32_t CharWidth() const { return sizedCharWidth_; }
    int32_t AverageCharWidth() const { return averageWidth_; }

    // The advance of one character, and its A-B-C widths (left bearing, ink
    // width, right bearing; A + B + C = advance).
    bool Advance(KChar c, int32_t* advance);
    bool AbcWidths(KChar c, int32_t* a, int32_t* b, int32_t* cRight);
    // Adds the coverage of one character with its origin at x to a W × H map
    // (the brighter value wins where glyphs overlap).
    bool DrawChar(KChar c, int32_t x, uint8_t* coverage, int32_t width, int32_t height);

    // Shapes a string; its width in whole pixels.
    bool Shape(const KChar* text, int32_t n, int32_t* width);
    // Draws the string shaped last with its origin at x.
    bool DrawShaped(int32_t x, uint8_t* coverage, int32_t width, int32_t height);

  private:
    // Loads a glyph by index, outlines emboldened when the face needs it.
    bool LoadGlyph(FT_UInt index);
    bool DrawLoaded(int32_t x, int32_t y, uint8_t* coverage, int32_t width, int32_t height);

    FT_Face face_ = nullptr;
    hb_font_t* hbFont_ = nullptr;
    hb_buffer_t* hbBuffer_ = nullptr;
    bool embolden_;
    FT_Pos emboldenStrength_ = 0;
    int32_t sizedHeight_ = -1;
    int32_t sizedCharWidth_ = -1;
    int32_t ascent_ = 0;
    int32_t height_ = 0;
    int32_t averageWidth_ = 0;
};

#pragma once

#include <cstdint>
#include <memory>

#include "K3DCellPalette.h"
#include "K3DFont.h"
#include "K3DTypeface.h"

// A font of an installed family, rendered at any size: bold, at the info's
// width, as white-on-black coverage that becomes a cell with face ramp,
// one-pixel border and diagonal shadow (see K3DCellPainter). Single
// characters are trimmed to their ink (digits all to the same cell); full
// strings keep their bearings. Finished cells go through the font list's
// glyph cache, which gives the same pixels as making them afresh.
//
// Texts longer than 4095 characters are cut to 4095. Failures are logged
// and answer false: the text is then simply not drawn.
class K3DSystemFont : public K3DFont {
  public:
    static constexpr int32_t kMaxText = 4095;

    explicit K3DSystemFont(const KString& family) : K3DFont(family) {}

    bool Squeeze(const KString& text, K3DFontInfo& info, int32_t maxWidth, int32_t* width) override;
    bool CharGlyph(KChar c, K3DFontInfo& info, K3DGlyph* glyph, KPoint* extent) override;
    bool StringGlyph(const KString& text, K3DFontInfo& info, K3DGlyph* glyph,
                     KPoint* extent) override;
    // The cell of one character as bitmap-font codes: back 0, face ramp 1-6
    // by coverage, border 7, shadow 8. Not cached.
    bool CharCodes(KChar c, K3DFontInfo& info, const uint32_t** codes, KPoint* extent);

  private:
    struct Request {
        const uint32_t** pixels;        // null: extent only
        int32_t* averageWidth;          // null: not wanted
        bool trim;                      // trim the bearings (single characters)
        const K3DCellPalette* palette;  // null: the info's colours
    };

    bool Glyphs(const KChar* text, int32_t n, K3DFontInfo& info, const Request& request,
                KPoint* extent);
    // Through the glyph cache: a stored cell, else one made and stored.
    bool CachedGlyphs(const KChar* text, int32_t n, bool fullString, K3DFontInfo& info,
                      K3DGlyph* glyph, KPoint* extent);
    bool Fail(const char* message);
    K3DTypeface* Typeface();
    // Step 6: the info's character width from its width percent.
    void SettleCharWidth(K3DFontInfo& info, int32_t height);
    // Trims the bearings of the first character from its advance: *width
    // loses the right bearing, *left becomes the left one.
    void Trim(KChar first, int32_t* width, int32_t* left);
    bool DigitTrim(int32_t* left, int32_t* right);

    std::unique_ptr<K3DTypeface> typeface_;
    bool typefaceTried_ = false;
    K3DCellPalette palette_;
    // The digits' common trim for the size it was worked out at.
    int32_t digitHeight_ = -1, digitCharWidth_ = -1, digitLeft_ = 0, digitRight_ = 0;
};

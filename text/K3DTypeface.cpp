#include "K3DTypeface.h"

#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H
#include <hb-ft.h>

#include <algorithm>
#include <cmath>

namespace {

// Light hinting keeps the shapes true and lines stems up with pixel rows.
constexpr FT_Int32 kLoadFlags = FT_LOAD_DEFAULT | FT_LOAD_TARGET_LIGHT;

int32_t RoundPixels(FT_Pos v) {
    return static_cast<int32_t>((v + 32) >> 6);
}

// The face's ascent and descent as the home platform sizes fonts by them:
// the Windows metrics of the OS/2 table, else the horizontal header's.
void DesignExtent(FT_Face face, int32_t* ascent, int32_t* descent) {
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 && os2->usWinAscent + os2->usWinDescent > 0) {
        *ascent = os2->usWinAscent;
        *descent = os2->usWinDescent;
        return;
    }
    *ascent = face->ascender;
    *descent = -face->descender;
    if (*ascent + *descent <= 0) *ascent = face->units_per_EM, *descent = 0;
}

int32_t DesignAverageWidth(FT_Face face) {
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 && os2->xAvgCharWidth > 0) return os2->xAvgCharWidth;
    return face->units_per_EM / 2;
}

}  // namespace

K3DTypeface::K3DTypeface(FT_Library library, const std::string& file, int index, bool embolden)
    : embolden_(embolden) {
    if (!library || FT_New_Face(library, file.c_str(), index, &face_) != 0) {
        face_ = nullptr;
        return;
    }
    if (!FT_IS_SCALABLE(face_) || face_->units_per_EM == 0) {
        FT_Done_Face(face_);
        face_ = nullptr;
        return;
    }
    hbFont_ = hb_ft_font_create_referenced(face_);
    hb_ft_font_set_load_flags(hbFont_, kLoadFlags);
    hbBuffer_ = hb_buffer_create();
}

K3DTypeface::~K3DTypeface() {
    if (hbBuffer_) hb_buffer_destroy(hbBuffer_);
    if (hbFont_) hb_font_destroy(hbFont_);
    if (face_) FT_Done_Face(face_);
}

bool K3DTypeface::SetSize(int32_t height, int32_t charWidth) {
    if (!face_ || height < 1) return false;
    if (height == sizedHeight_ && charWidth == sizedCharWidth_) return true;
    int32_t designAscent, designDescent;
    DesignExtent(face_, &designAscent, &designDescent);
    const double upem = face_->units_per_EM;
    const double ppemY = height * upem / (designAscent + designDescent);
    const double ppemX = charWidth > 0 ? charWidth * upem / DesignAverageWidth(face_) : ppemY;
    const auto x = static_cast<FT_F26Dot6>(std::lround(ppemX * 64));
    const auto y = static_cast<FT_F26Dot6>(std::lround(ppemY * 64));
    if (x < 1 || y < 1 || FT_Set_Char_Size(face_, x, y, 72, 72) != 0) {
        sizedHeight_ = -1;
        return false;
    }
    hb_ft_font_changed(hbFont_);
    sizedHeight_ = height;
    sizedCharWidth_ = charWidth;
    ascent_ = static_cast<int32_t>(std::lround(designAscent * ppemY / upem));
    height_ = height;
    averageWidth_ =
        charWidth > 0 ? charWidth
                      : static_cast<int32_t>(std::lround(DesignAverageWidth(face_) * ppemX / upem));
    emboldenStrength_ = embolden_ ? std::max<FT_Pos>(1, y / 24) : 0;
    return true;
}

bool K3DTypeface::LoadGlyph(FT_UInt index) {
    if (FT_Load_Glyph(face_, index, kLoadFlags) != 0) return false;
    FT_GlyphSlot slot = face_->glyph;
    if (emboldenStrength_ > 0 && slot->format == FT_GLYPH_FORMAT_OUTLINE) {
        FT_Outline_EmboldenXY(&slot->outline, emboldenStrength_, emboldenStrength_);
        slot->advance.x += emboldenStrength_;
    }
    return true;
}

bool K3DTypeface::Advance(KChar c, int32_t* advance) {
    if (!face_ || !LoadGlyph(FT_Get_Char_Index(face_, c))) return false;
    *advance = RoundPixels(face_->glyph->advance.x);
    return true;
}

bool K3DTypeface::AbcWidths(KChar c, int32_t* a, int32_t* b, int32_t* cRight) {
    if (!face_ || !LoadGlyph(FT_Get_Char_Index(face_, c))) return false;
    FT_GlyphSlot slot = face_->glyph;
    const int32_t advance = RoundPixels(slot->advance.x);
    if (slot->format != FT_GLYPH_FORMAT_OUTLINE || slot->outline.n_points == 0) {
        *a = 0, *b = 0, *cRight = advance;
        return true;
    }
    FT_BBox box;
    FT_Outline_Get_CBox(&slot->outline, &box);
    *a = static_cast<int32_t>(box.xMin >> 6);
    *b = static_cast<int32_t>((box.xMax + 63) >> 6) - *a;
    *cRight = advance - *a - *b;
    return true;
}

bool K3DTypeface::DrawLoaded(int32_t x, int32_t y, uint8_t* coverage, int32_t width,
                             int32_t height) {
    FT_GlyphSlot slot = face_->glyph;
    if (slot->format == FT_GLYPH_FORMAT_OUTLINE && slot->outline.n_points == 0) return true;
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) return false;
    const FT_Bitmap& bitmap = slot->bitmap;
    if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY) return true;
    const int32_t left = x + slot->bitmap_left;
    const int32_t top = y + ascent_ - slot->bitmap_top;
    const int32_t rows = static_cast<int32_t>(bitmap.rows);
    const int32_t columns = static_cast<int32_t>(bitmap.width);
    for (int32_t r = std::max(0, -top); r < rows && top + r < height; ++r) {
        const uint8_t* src = bitmap.buffer + static_cast<ptrdiff_t>(r) * bitmap.pitch;
        uint8_t* dst = coverage + static_cast<ptrdiff_t>(top + r) * width;
        for (int32_t col = std::max(0, -left); col < columns && left + col < width; ++col)
            dst[left + col] = std::max(dst[left + col], src[col]);
    }
    return true;
}

bool K3DTypeface::DrawChar(KChar c, int32_t x, uint8_t* coverage, int32_t width, int32_t height) {
    if (!face_ || !LoadGlyph(FT_Get_Char_Index(face_, c))) return false;
    return DrawLoaded(x, 0, coverage, width, height);
}

bool K3DTypeface::Shape(const KChar* text, int32_t n, int32_t* width) {
    if (!face_) return false;
    hb_buffer_clear_contents(hbBuffer_);
    hb_buffer_add_utf16(hbBuffer_, reinterpret_cast<const uint16_t*>(text), n, 0, n);
    hb_buffer_guess_segment_properties(hbBuffer_);
    hb_shape(hbFont_, hbBuffer_, nullptr, 0);
    unsigned count = 0;
    const hb_glyph_position_t* positions = hb_buffer_get_glyph_positions(hbBuffer_, &count);
    FT_Pos pen = 0;
    for (unsigned i = 0; i < count; ++i) pen += positions[i].x_advance + emboldenStrength_;
    *width = RoundPixels(pen);
    return true;
}

bool K3DTypeface::DrawShaped(int32_t x, uint8_t* coverage, int32_t width, int32_t height) {
    unsigned count = 0;
    const hb_glyph_info_t* glyphs = hb_buffer_get_glyph_infos(hbBuffer_, &count);
    const hb_glyph_position_t* positions = hb_buffer_get_glyph_positions(hbBuffer_, &count);
    FT_Pos pen = static_cast<FT_Pos>(x) * 64;
    for (unsigned i = 0; i < count; ++i) {
        if (!LoadGlyph(glyphs[i].codepoint)) return false;
        const int32_t gx = RoundPixels(pen + positions[i].x_offset);
        const int32_t gy = -RoundPixels(positions[i].y_offset);
        if (!DrawLoaded(gx, gy, coverage, width, height)) return false;
        pen += positions[i].x_advance + emboldenStrength_;
    }
    return true;
}

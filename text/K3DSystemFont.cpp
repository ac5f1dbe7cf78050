#include "K3DSystemFont.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "K3DCellPainter.h"
#include "K3DFonts.h"
#include "KRValues.h"

namespace {

// A cell larger than this is refused: a 999-pixel line across four 4K
// screens fits, a hostile 4095-character string at 999 pixels does not.
constexpr size_t kMaxCellPixels = size_t{32} << 20;

struct Geometry {
    int32_t size, border, shadow, textHeight;
};

Geometry GeometryOf(const K3DFontInfo& info) {
    Geometry g;
    g.size = std::clamp(info.Size(), 10, 999);
    g.border = info.borderSize == 0 ? 0 : 1;
    g.shadow = std::clamp(g.size / 40, 2, 6);
    if (info.shadowSize >= 0 && info.shadowSize < g.shadow) g.shadow = info.shadowSize;
    g.textHeight = g.size - 2 * g.border - g.shadow;
    return g;
}

bool IsDigit(KChar c) {
    return c >= u'0' && c <= u'9';
}

int32_t SettingValue(const KRInt* setting) {
    return setting ? setting->value : K3DGlyphKey::kMissing;
}

}  // namespace

bool K3DSystemFont::Fail(const char* message) {
    if (K3DFonts* fonts = Fonts()) fonts->LogError(message);
    return false;
}

K3DTypeface* K3DSystemFont::Typeface() {
    if (!typefaceTried_ && Fonts()) {
        typefaceTried_ = true;
        typeface_ = Fonts()->OpenTypeface(Name());
    }
    return typeface_ && typeface_->IsOpen() ? typeface_.get() : nullptr;
}

void K3DSystemFont::SettleCharWidth(K3DFontInfo& info, int32_t height) {
    if (info.CharWidth() >= 0) return;
    int32_t width = 0;
    K3DTypeface* face = Typeface();
    if (info.WidthPercent() != 100 && face && face->SetSize(height, 0))
        width = std::max(1, info.WidthPercent() * face->AverageCharWidth() / 100);
    info.SetCharWidth(width);
}

bool K3DSystemFont::DigitTrim(int32_t* left, int32_t* right) {
    K3DTypeface* face = Typeface();
    if (digitHeight_ != face->Height() || digitCharWidth_ != face->CharWidth()) {
        int32_t minA = INT32_MAX, minC = INT32_MAX;
        for (KChar d = u'0'; d <= u'9'; ++d) {
            int32_t a, b, c;
            if (!face->AbcWidths(d, &a, &b, &c)) return false;
            minA = std::min(minA, a);
            minC = std::min(minC, c);
        }
        digitHeight_ = face->Height();
        digitCharWidth_ = face->CharWidth();
        digitLeft_ = minA;
        digitRight_ = minC;
    }
    *left = digitLeft_;
    *right = digitRight_;
    return true;
}

void K3DSystemFont::Trim(KChar first, int32_t* width, int32_t* left) {
    int32_t a, b, c;
    if (IsDigit(first)) {
        if (!DigitTrim(&a, &c)) return;
    } else if (!Typeface()->AbcWidths(first, &a, &b, &c) || b <= 1) {
        return;
    }
    *left = a;
    *width -= c;
}

bool K3DSystemFont::Glyphs(const KChar* text, int32_t n, K3DFontInfo& info, const Request& request,
                           KPoint* extent) {
    K3DFonts* fonts = Fonts();
    if (!fonts || !fonts->HasRenderer()) return Fail("K3DSystemFont::Glyphs: renderer NULL");
    n = std::min(n, kMaxText);
    const Geometry g = GeometryOf(info);
    int32_t textHeight = g.textHeight;
    SettleCharWidth(info, textHeight);
    K3DTypeface* face = Typeface();
    if (!face || !face->SetSize(textHeight, info.CharWidth()))
        return Fail("K3DSystemFont::Glyphs: font NULL");
    if (request.averageWidth) *request.averageWidth = face->AverageCharWidth();

    int32_t width = 0, left = 0;
    if (request.trim) {
        if (n > 0 && !face->Advance(text[0], &width))
            return Fail("K3DSystemFont::Glyphs: GetTextExtentPoint32 failed");
        // The digit trim reads other glyphs, so it comes after the advance.
        if (n > 0) Trim(text[0], &width, &left);
    } else if (!face->Shape(text, n, &width)) {
        return Fail("K3DSystemFont::Glyphs: GetTextExtentPoint32 failed");
    }
    textHeight = std::min(textHeight, face->Height());
    width = std::max(0, width - left);
    const int32_t cellWidth = 2 * g.border + width + g.shadow;
    *extent = KPoint{cellWidth, g.size};
    if (!request.pixels) return true;

    const size_t inkCount = static_cast<size_t>(width) * static_cast<size_t>(textHeight);
    const size_t cellCount = static_cast<size_t>(cellWidth) * static_cast<size_t>(g.size);
    if (inkCount > kMaxCellPixels || !fonts->Coverage().Ensure(std::max<size_t>(inkCount, 1)))
        return Fail("K3DSystemFont::Glyphs: BmpAlloc failed");
    if (cellCount > kMaxCellPixels || !fonts->Pixels().Ensure(cellCount))
        return Fail("K3DSystemFont::Glyphs: GlyphAlloc failed");
    uint8_t* coverage = fonts->Coverage().Data();
    std::memset(coverage, 0, inkCount);
    const K3DCellPalette* palette = request.palette;
    if (!palette) {
        palette_.Build(info, fonts->Colors(), fonts->AntiAliasEnable(), fonts->BgLight());
        palette = &palette_;
    }
    const bool drawn = request.trim ? face->DrawChar(text[0], -left, coverage, width, textHeight)
                                    : face->DrawShaped(-left, coverage, width, textHeight);
    if (!drawn) return Fail("K3DSystemFont::Glyphs: TextOut failed");
    fonts->CountRasterised();
    const K3DCellPainter painter{coverage, width, textHeight, g.border, g.shadow};
    painter.Paint(*palette, fonts->Pixels().Data(), cellWidth, g.size);
    *request.pixels = fonts->Pixels().Data();
    return true;
}

bool K3DSystemFont::CachedGlyphs(const KChar* text, int32_t n, bool fullString, K3DFontInfo& info,
                                 K3DGlyph* glyph, KPoint* extent) {
    K3DFonts* fonts = Fonts();
    if (!fonts) return false;
    n = std::min(n, kMaxText);
    // At the natural width a character width still to be worked out is 0,
    // so both forms find the same cell.
    const int32_t charWidth =
        info.CharWidth() < 0 && info.WidthPercent() == 100 ? 0 : info.CharWidth();
    const K3DGlyphKey key{this,
                          text,
                          n,
                          fullString,
                          info.Size(),
                          info.WidthPercent(),
                          charWidth,
                          info.borderSize,
                          info.shadowSize,
                          info.face,
                          info.border,
                          info.shadow,
                          info.back,
                          fonts->DrawTextMode(),
                          SettingValue(fonts->AntiAliasEnable()),
                          SettingValue(fonts->BgLight())};
    if (const K3DGlyphCache::Cell* cell = fonts->Cache().Find(key)) {
        info.SetCharWidth(cell->charWidth);
        *extent = cell->extent;
        if (glyph) *glyph = K3DGlyph{cell->pixels, cell->rowStart, cell->runs};
        return true;
    }
    const uint32_t* pixels = nullptr;
    const Request request{glyph ? &pixels : nullptr, nullptr, !fullString, nullptr};
    if (!Glyphs(text, n, info, request, extent)) return false;
    if (!glyph) return true;
    // The stored copy comes with its ink runs; a cell the cache does not
    // keep is handed out from the scratch buffer.
    const K3DGlyphCache::Cell* cell = fonts->Cache().Store(key, pixels, *extent, info.CharWidth());
    *glyph = cell ? K3DGlyph{cell->pixels, cell->rowStart, cell->runs} : K3DGlyph{pixels};
    return true;
}

bool K3DSystemFont::CharGlyph(KChar c, K3DFontInfo& info, K3DGlyph* glyph, KPoint* extent) {
    return CachedGlyphs(&c, 1, false, info, glyph, extent);
}

bool K3DSystemFont::StringGlyph(const KString& text, K3DFontInfo& info, K3DGlyph* glyph,
                                KPoint* extent) {
    return CachedGlyphs(text.Chars(), text.Length(), true, info, glyph, extent);
}

bool K3DSystemFont::CharCodes(KChar c, K3DFontInfo& info, const uint32_t** codes, KPoint* extent) {
    K3DFonts* fonts = Fonts();
    if (!fonts) return false;
    K3DCellPalette palette;
    palette.SetThreshold(fonts->AntiAliasEnable());
    // Coverage i is the face at brightness i/255; code k (2-6) is the face
    // darkened by k-1 eighths, so the nearest code is 9 - round(8i/255).
    for (int i = 0; i < 256; ++i)
        palette.ramp[i] = static_cast<uint32_t>(std::clamp(9 - (16 * i + 255) / 510, 1, 6));
    palette.border = 7;
    palette.shadow = 8;
    palette.back = 0;
    const Request request{codes, nullptr, true, &palette};
    return Glyphs(&c, 1, info, request, extent);
}

bool K3DSystemFont::Squeeze(const KString& text, K3DFontInfo& info, int32_t maxWidth,
                            int32_t* width) {
    if (!info.Squeeze()) return false;
    K3DFontInfo natural(info);
    natural.SetCharWidth(0);
    int32_t average = 0;
    KPoint extent;
    const Request request{nullptr, &average, true, nullptr};
    if (!Glyphs(text.Chars(), std::min<int32_t>(text.Length(), 1), natural, request, &extent) ||
        average <= 0) {
        info.SetCharWidth(-1);
        return false;
    }
    const int32_t full = std::max(1, average * info.WidthPercent() / 100);
    const int32_t least = std::max(1, full * info.SqueezeMinimum() / 100);
    if (least >= full) {
        info.SetCharWidth(-1);
        return false;
    }
    info.SetCharWidth(full);
    if (!Measure(text, info, &extent)) {
        info.SetCharWidth(-1);
        return false;
    }
    if (extent.x <= maxWidth) {
        *width = extent.x;
        return true;
    }
    int32_t lo = least, hi = full, fitted = -1;
    while (lo < hi - 1) {
        const int32_t mid = lo + (hi - lo) / 2;
        info.SetCharWidth(mid);
        if (!Measure(text, info, &extent)) {
            info.SetCharWidth(-1);
            return false;
        }
        if (extent.x > maxWidth) {
            hi = mid;
        } else {
            fitted = extent.x;
            lo = mid;
        }
    }
    info.SetCharWidth(lo);
    if (fitted < 0) return false;
    *width = fitted;
    return true;
}

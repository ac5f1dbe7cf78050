#include "K3DFont.h"

#include <algorithm>

#include "K3DFontOptimize.h"
#include "K3DFonts.h"

namespace {

// Characters that a cell may stand for: the same one, or digits in place of
// digits (all digits get cells of one width).
bool Matches(KChar a, KChar b) {
    const bool aDigit = a >= u'0' && a <= u'9';
    const bool bDigit = b >= u'0' && b <= u'9';
    return a == b || (aDigit && bDigit);
}

bool CellsMatch(const KString& text, int32_t n, const K3DFontOptimize& optimize) {
    for (int32_t i = 0; i < n; ++i) {
        const K3DFontOptimize::Cell& cell = optimize.cells[i];
        if (cell.width < 0 || !Matches(text.CharAt(i), static_cast<KChar>(cell.character)))
            return false;
    }
    return true;
}

}  // namespace

K3DFonts* K3DFont::Fonts() const {
    return static_cast<K3DFonts*>(Owner());
}

bool K3DFont::UseFullString(const KString& text, const K3DFontInfo& info) const {
    int32_t mode = info.textHandling;
    if (mode < 0) mode = Fonts() ? Fonts()->DrawTextMode() : 0;
    if (mode == 2) return true;
    if (mode != 1) return false;
    for (int32_t i = 0; i < text.Length(); ++i) {
        if (text.CharAt(i) >= 256) return true;
    }
    return false;
}

bool K3DFont::Reuse(KString& text, K3DFontInfo& info, int32_t* maxWidth,
                    K3DFontOptimize& optimize) {
    const int32_t length = text.Length();
    if (optimize.fittedLength >= 0 && length == optimize.textLength &&
        *maxWidth == optimize.maxWidth && info == optimize.info) {
        bool reuse = text.Equals(optimize.text);
        if (reuse) {
            optimize.hit = true;
        } else if (!UseFullString(text, info)) {
            const int32_t n = std::min(optimize.fittedLength, length);
            const bool nextMatches = n >= length || n >= optimize.text.Length() ||
                                     Matches(text.CharAt(n), optimize.text.CharAt(n));
            reuse = nextMatches && n <= K3DFontOptimize::kCells && CellsMatch(text, n, optimize);
            if (reuse) {
                optimize.partialHit = true;
                optimize.text = text;
            }
        }
        if (reuse) {
            text.Truncate(optimize.fittedLength);
            *maxWidth = optimize.fittedWidth;
            info.SetCharWidth(optimize.charWidth);
            return true;
        }
    }
    optimize.InvalidateCells();
    optimize.maxWidth = *maxWidth;
    optimize.textLength = length;
    optimize.info = info;
    optimize.text = text;
    return false;
}

bool K3DFont::Fit(KString& text, K3DFontInfo& info, int32_t* maxWidth, K3DFontOptimize* optimize) {
    if (optimize) {
        optimize->hit = false;
        optimize->partialHit = false;
        if (Reuse(text, info, maxWidth, *optimize)) return optimize->result;
    }
    bool result = true;
    int32_t squeezed = 0;
    if (text.IsEmpty() || *maxWidth < 1) {
        text.Empty();
        *maxWidth = 0;
    } else if (Squeeze(text, info, *maxWidth, &squeezed)) {
        *maxWidth = squeezed;
    } else if (UseFullString(text, info)) {
        result = FitFullString(text, info, maxWidth);
    } else {
        result = FitCharacters(text, info, maxWidth);
    }
    if (optimize) {
        optimize->charWidth = info.CharWidth();
        optimize->fittedWidth = *maxWidth;
        optimize->fittedLength = text.Length();
        optimize->result = result;
    }
    return result;
}

bool K3DFont::FitFullString(KString& text, K3DFontInfo& info, int32_t* maxWidth) {
    KPoint extent;
    if (StringGlyph(text, info, nullptr, &extent) && extent.x <= *maxWidth) {
        *maxWidth = extent.x;
        return true;
    }
    // Bisect the prefix length; a prefix is a view, so nothing is copied.
    int32_t lo = 0, hi = text.Length(), width = 0;
    while (lo < hi - 1) {
        const int32_t mid = lo + (hi - lo) / 2;
        if (!StringGlyph(KString(text.Chars(), mid), info, nullptr, &extent)) break;
        if (extent.x > *maxWidth) {
            hi = mid;
        } else {
            width = extent.x;
            lo = mid;
        }
    }
    if (hi != lo + 1) return false;
    text.Truncate(lo);
    *maxWidth = width;
    return true;
}

bool K3DFont::FitCharacters(KString& text, K3DFontInfo& info, int32_t* maxWidth) {
    bool any = false;
    int32_t width = 0, i = 0;
    KPoint extent;
    for (; i < text.Length(); ++i) {
        if (!CharGlyph(text.CharAt(i), info, nullptr, &extent)) continue;
        any = true;
        if (width + extent.x > *maxWidth) break;
        width += extent.x;
    }
    text.Truncate(i);
    *maxWidth = width;
    return any;
}

bool K3DFont::Draw(const KString& text, K3DFontInfo& info, K3DGlyphSink sink, void* user,
                   K3DFontOptimize* optimize) {
    if ((optimize && optimize->hit) || text.IsEmpty()) return true;
    if (!UseFullString(text, info)) return DrawCharacters(text, info, sink, user, optimize);
    K3DGlyph glyph;
    KPoint extent;
    if (!StringGlyph(text, info, &glyph, &extent)) return false;
    sink(glyph, K3DRect{0, 0, extent.x - 1, extent.y - 1}, user);
    return true;
}

bool K3DFont::DrawCharacters(const KString& text, K3DFontInfo& info, K3DGlyphSink sink, void* user,
                             K3DFontOptimize* optimize) {
    K3DFontOptimize::Cell* cells =
        optimize && text.Length() <= K3DFontOptimize::kCells ? optimize->cells : nullptr;
    const bool partial = cells && optimize->partialHit;
    bool any = false;
    int32_t x = 0;
    for (int32_t i = 0; i < text.Length(); ++i) {
        const KChar c = text.CharAt(i);
        if (partial && cells[i].width >= 0 && cells[i].character == static_cast<int16_t>(c)) {
            x += cells[i].width;
            continue;
        }
        K3DGlyph glyph;
        KPoint extent;
        int32_t width = 0;
        if (CharGlyph(c, info, &glyph, &extent)) {
            any = true;
            width = extent.x;
            if (!sink(glyph, K3DRect{x, 0, x + width - 1, extent.y - 1}, user)) {
                if (cells) optimize->InvalidateCells();
                return any;
            }
        }
        x += width;
        if (cells) cells[i] = {static_cast<int16_t>(width), static_cast<int16_t>(c)};
    }
    return any;
}

bool K3DFont::Measure(const KString& text, K3DFontInfo& info, KPoint* extent) {
    *extent = KPoint{};
    if (text.IsEmpty()) return true;
    if (UseFullString(text, info)) return StringGlyph(text, info, nullptr, extent);
    bool any = false;
    for (int32_t i = 0; i < text.Length(); ++i) {
        KPoint cell;
        if (!CharGlyph(text.CharAt(i), info, nullptr, &cell)) continue;
        any = true;
        extent->x += cell.x;
        extent->y = std::max(extent->y, cell.y);
    }
    return any;
}

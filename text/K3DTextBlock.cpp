#include "K3DTextBlock.h"

#include <algorithm>

#include "K3DFonts.h"

namespace {

struct Placed {
    K3DTextTarget* target;
    int32_t left, top;
};

bool PlaceGlyph(const K3DGlyph& glyph, const K3DRect& rect, void* user) {
    const auto* placed = static_cast<const Placed*>(user);
    const K3DRect moved{rect.left + placed->left, rect.top + placed->top, rect.right + placed->left,
                        rect.bottom + placed->top};
    return placed->target->Glyph(glyph.pixels, moved);
}

constexpr int64_t kFarOff = int64_t{1} << 30;

int32_t Offset(int32_t justification, int32_t room, int32_t width) {
    int32_t offset = 0;
    if (justification == 1) offset = (room - width) / 2;
    if (justification == 2) offset = room - width;
    return offset < 0 ? 0 : offset;
}

}  // namespace

int32_t K3DTextBlock::FitLine(const KString& rest, int32_t maxWidth, bool last, KString& line,
                              K3DFontInfo& info, int32_t* width) {
    line.Assign(rest);
    *width = maxWidth;
    if (!fonts_.Fit(line, info, width, nullptr) || line.IsEmpty()) return 0;
    const int32_t cut = line.Length();
    if (last || cut == rest.Length()) return cut;
    if (rest.CharAt(cut) == u' ') return cut + 1;
    const int32_t space = line.FindLast(u' ');
    if (space < 0) return cut;  // one long word: broken where the fit cut it
    line.Truncate(space);
    info = info_;
    *width = maxWidth;
    if (!fonts_.Fit(line, info, width, nullptr) || line.Length() != space) return 0;
    return space + 1;
}

void K3DTextBlock::Draw(const K3DRect& rect, const KString& text, int32_t justification,
                        int32_t lines, K3DTextTarget& target) {
    if (lines <= 0) return;
    const int32_t size = info_.Size();
    // Rectangles of any size, anywhere, are met in hostile layouts: the
    // arithmetic is wide, and places far off any display are pulled in to
    // where glyph offsets cannot overflow them.
    int64_t gap = int64_t{rect.bottom} + 1 - rect.top - int64_t{lines} * size;
    if (lines > 2) gap /= lines - 1;
    const auto place = [](int64_t v) {
        return static_cast<int32_t>(std::clamp<int64_t>(v, -kFarOff, kFarOff));
    };
    const int32_t room = place(int64_t{rect.right} - rect.left + 1);
    KString& line = fonts_.TextLine();
    int64_t y = rect.top;
    int32_t from = 0;
    for (int32_t i = 0; i < lines && from < text.Length(); ++i) {
        const KString rest(text.Chars() + from, text.Length() - from);
        K3DFontInfo info(info_);
        int32_t width;
        const int32_t used = FitLine(rest, room, i == lines - 1, line, info, &width);
        if (used == 0) return;
        Placed placed{&target, place(rect.left + int64_t{Offset(justification, room, width)}),
                      place(y)};
        target.Line(line, placed.left, placed.top, width);
        fonts_.Draw(line, info, PlaceGlyph, &placed, nullptr);
        y += size + gap;
        from += used;
    }
}

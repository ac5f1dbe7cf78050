#include "KVideoValue.h"

#include <algorithm>

namespace {

const char16_t* const kColorWords[] = {u"Background", u"White",   u"LightGray", u"DarkGray",
                                       u"Black",      u"Red",     u"Green",     u"Blue",
                                       u"Cyan",       u"Magenta", u"Yellow"};
static_assert(sizeof kColorWords / sizeof *kColorWords == KColorTable::kCount);

}  // namespace

KString KVideoValue::Next() {
    const int32_t start = std::min(from_, value_.Length());
    int32_t end = AtEnd() ? start : value_.Find(u',', from_);
    if (end < 0) end = value_.Length();
    from_ = end + 1;
    return KString(value_.Chars() + start, end - start);  // a view, never a copy
}

bool KVideoValue::Int(int32_t* out) {
    KString field = Next();
    return field.ParseInt(out, 0);
}

bool KVideoValue::Word(const char16_t* const* keywords, int32_t count, int32_t* out) {
    const KString field = Next();
    if (field.IsEmpty()) return false;
    for (int32_t i = 0; i < count; ++i) {
        const KString keyword(keywords[i]);
        if (field.Length() <= keyword.Length() && keyword.StartsWithIgnoreCase(field)) {
            *out = i;
            return true;
        }
    }
    return false;
}

bool KVideoValue::Color(KColor* out) {
    const int32_t start = from_;
    int32_t index;
    if (Word(kColorWords, KColorTable::kCount, &index)) {
        *out = static_cast<KColor>(index);
        return true;
    }
    from_ = start;
    int32_t r, g, b;
    const bool red = Int(&r), green = Int(&g), blue = Int(&b);
    if (!red || !green || !blue) return false;
    *out = KColorRGB(uint32_t(r), uint32_t(g), uint32_t(b));
    return true;
}

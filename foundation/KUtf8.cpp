#include "KUtf8.h"

size_t KUtf8Decode(const unsigned char* p, size_t n, uint32_t* codePoint) {
    const unsigned char lead = p[0];
    *codePoint = 0xFFFD;
    if (lead < 0x80) {
        *codePoint = lead;
        return 1;
    }
    size_t length;
    uint32_t value;
    uint32_t least;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, value = lead & 0x1F, least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, value = lead & 0x0F, least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, value = lead & 0x07, least = 0x10000;
    } else {
        return 1;
    }
    if (n < length) return 1;
    for (size_t i = 1; i < length; ++i) {
        if ((p[i] & 0xC0) != 0x80) return 1;
        value = (value << 6) | (p[i] & 0x3F);
    }
    if (value < least || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 1;
    *codePoint = value;
    return length;
}

void KAppendCodePoint(KString& out, uint32_t codePoint) {
    if (codePoint < 0x10000) {
        out.AppendChar(static_cast<KChar>(codePoint));
        return;
    }
    codePoint -= 0x10000;
    out.AppendChar(static_cast<KChar>(0xD800 + (codePoint >> 10)));
    out.AppendChar(static_cast<KChar>(0xDC00 + (codePoint & 0x3FF)));
}

void KAppendUtf8(KString& out, const char* text, size_t n) {
    auto p = reinterpret_cast<const unsigned char*>(text);
    for (size_t i = 0; i < n;) {
        uint32_t codePoint;
        i += KUtf8Decode(p + i, n - i, &codePoint);
        KAppendCodePoint(out, codePoint);
    }
}

void KAppendUtf8(KString& out, const std::string& text) {
    KAppendUtf8(out, text.data(), text.size());
}

void KAppendUnitUtf8(std::string& out, uint32_t codePoint) {
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
        return;
    }
    int n = codePoint < 0x800 ? 2 : codePoint < 0x10000 ? 3 : 4;
    static const unsigned char lead[] = {0, 0, 0xC0, 0xE0, 0xF0};
    out += static_cast<char>(lead[n] | (codePoint >> (6 * (n - 1))));
    for (int i = n - 2; i >= 0; --i)
        out += static_cast<char>(0x80 | ((codePoint >> (6 * i)) & 0x3F));
}

std::string KUtf8Of(const KString& text) {
    std::string out;
    out.reserve(static_cast<size_t>(text.Length()));
    for (int32_t i = 0; i < text.Length(); ++i) {
        uint32_t c = text.CharAt(i);
        KChar low = text.CharAt(i + 1);
        if (c >= 0xD800 && c <= 0xDBFF && low >= 0xDC00 && low <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
            ++i;
        }
        KAppendUnitUtf8(out, c);
    }
    return out;
}

std::string KUtf8OfUnits(const KString& text) {
    std::string out;
    out.reserve(static_cast<size_t>(text.Length()));
    for (int32_t i = 0; i < text.Length(); ++i) KAppendUnitUtf8(out, text.CharAt(i));
    return out;
}

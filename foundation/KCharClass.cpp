#include "KCharClass.h"

#include <array>

namespace {

struct CasePair {
    char16_t upper;
    char16_t lower;
};

constexpr CasePair kPairs[] = {
#include "KCaseTable.inc"
};

struct CaseMaps {
    std::array<KChar, 0x10000> lower;
    std::array<KChar, 0x10000> upper;
};

constexpr CaseMaps BuildCaseMaps() {
    CaseMaps maps{};
    for (uint32_t c = 0; c < 0x10000; ++c) {
        maps.lower[c] = static_cast<KChar>(c);
        maps.upper[c] = static_cast<KChar>(c);
    }
    for (const CasePair& p : kPairs) {
        maps.lower[p.upper] = p.lower;
        maps.upper[p.lower] = p.upper;
    }
    return maps;
}

constexpr CaseMaps kCaseMaps = BuildCaseMaps();

}  // namespace

bool KIsWhiteSpace(KChar c) {
    if (c <= 0x20) return c == 0x20 || (c >= 0x09 && c <= 0x0D);
    if (c < 0xA0) return false;
    return c == 0xA0 || (c >= 0x2000 && c <= 0x200B) || c == 0x2028 || c == 0x2029 || c == 0x3000 ||
           c == 0xFEFF;
}

bool KIsHexDigit(KChar c) {
    return KDigitValue(c) >= 0;
}

int KDigitValue(KChar c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

KChar KToLower(KChar c) {
    return kCaseMaps.lower[c];
}
KChar KToUpper(KChar c) {
    return kCaseMaps.upper[c];
}

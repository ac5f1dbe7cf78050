#pragma once

#include <cstdint>

// The character classes every text operation shares: 16-bit units, no
// surrogate handling.
using KChar = char16_t;

bool KIsWhiteSpace(KChar c);
inline bool KIsDigit(KChar c) {
    return c >= u'0' && c <= u'9';
}
bool KIsHexDigit(KChar c);
// Value of a hexadecimal (or decimal) digit; -1 for anything else.
int KDigitValue(KChar c);
// Simple one-to-one case mapping; characters without a pair map to themselves.
KChar KToLower(KChar c);
KChar KToUpper(KChar c);

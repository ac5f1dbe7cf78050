#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "KString.h"

// UTF-8 at the program's edges (command lines, native text).

// Decodes one character from the n > 0 bytes at p into *codePoint and returns
// the bytes it used. A malformed or truncated sequence yields U+FFFD for its
// first byte alone, so decoding goes on with the next byte.
size_t KUtf8Decode(const unsigned char* p, size_t n, uint32_t* codePoint);

// Appends a code point as one 16-bit unit, or as two for one above U+FFFF.
void KAppendCodePoint(KString& out, uint32_t codePoint);

// Appends UTF-8 text as 16-bit units.
void KAppendUtf8(KString& out, const char* text, size_t n);
void KAppendUtf8(KString& out, const std::string& text);

// Appends the UTF-8 form of one code point (a lone surrogate is encoded as
// itself).
void KAppendUnitUtf8(std::string& out, uint32_t codePoint);

// The text as UTF-8: surrogate pairs become one code point, a lone surrogate
// is encoded as the code point of that unit. Used for file names.
std::string KUtf8Of(const KString& text);

// The text with each 16-bit unit written as the UTF-8 of that code point,
// pairs included; what the tools print.
std::string KUtf8OfUnits(const KString& text);

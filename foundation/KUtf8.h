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

// Appends the UTF-8 form of one 16-bit unit (a lone surrogate is encoded as
// the code point of that unit).
void KAppendUnitUtf8(std::string& out, KChar unit);

// The text with each 16-bit unit written as the UTF-8 of that code point.
std::string KUtf8Of(const KString& text);

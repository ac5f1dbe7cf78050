#pragma once

#include "KString.h"

// Appends format with value as its one string argument, as the drawn text of
// a text object and the file name of a dynamic bitmap are built. The format
// is user text, so it is never handed to printf: "%s" takes the value once,
// "%%" is a percent sign, flags, width and precision work as for strings, and
// any other conversion (and every later "%s") takes an empty string. Widths
// and precisions above kMaxWidth count as kMaxWidth, so a hostile layout
// cannot ask for gigabytes of padding.
void TAppendValueFormat(KString& out, const KString& format, const KString& value);

constexpr int32_t kMaxFormatWidth = 4096;

#pragma once

#include <cstdint>

#include "KColorTable.h"
#include "KString.h"

// Reads the value of a video display command as fields separated by ",",
// from the left. An integer field is read like KString::ParseInt with base
// 0 (sign, decimal, leading 0 octal, 0x hexadecimal); a word field matches
// the first keyword of a list of which it is a non-empty prefix, letter
// case ignored. A field that does not parse gives nothing and is still
// consumed, so an empty field skips a setting. A view: the value must
// outlive the reader.
class KVideoValue {
  public:
    explicit KVideoValue(const KString& value) : value_(value) {}

    bool AtEnd() const { return from_ > value_.Length(); }
    // The next field as an integer; false when it is not one.
    bool Int(int32_t* out);
    // The next field's index in keywords (count words); false when it matches none.
    bool Word(const char16_t* const* keywords, int32_t count, int32_t* out);
    // A colour: a table name, or three fields red, green and blue (low 8
    // bits each) for a direct colour.
    bool Color(KColor* out);

  private:
    // The next field as a view; empty after the last one.
    KString Next();

    const KString& value_;
    int32_t from_ = 0;
};

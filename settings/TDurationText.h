#pragma once

#include <cstdint>

#include "KString.h"

class KRegistry;

// Durations as an operator reads and types them: seconds with three
// fraction digits, and minutes, hours and days in front only when there are
// any, with the separators of \Strings\Time\ ("1:02:03.004" by default). A
// text written reads back to the same number of milliseconds.
class TDurationText {
  public:
    explicit TDurationText(KRegistry& settings);

    void Append(KString& out, int64_t ms) const;
    // Reads [-][[[d:]h:]m:]s[.fff]; false for anything else, for more than
    // three fraction digits, and beyond a 32-bit count of milliseconds.
    bool Parse(const KString& text, int32_t* ms) const;

  private:
    KChar negative_;
    KChar dayHour_;
    KChar hourMinute_;
    KChar minuteSecond_;
    KChar fraction_;
};

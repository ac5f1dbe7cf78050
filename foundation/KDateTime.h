#pragma once

#include <cstdint>
#include <ctime>

#include "KString.h"

// A local date and time; all fields -1 while unset.
class KDateTime {
  public:
    KDateTime() = default;
    // The current local time.
    static KDateTime Now();
    // A moment of the system clock, in local time.
    static KDateTime FromTimespec(const timespec& t);

    bool IsSet() const { return year != -1; }
    // Compares year, month, day, hour, minute, second, millisecond.
    int Compare(const KDateTime& other) const;
    bool operator==(const KDateTime& other) const { return Compare(other) == 0; }
    bool operator<(const KDateTime& other) const { return Compare(other) < 0; }
    // The local short date, a space, the local time.
    void AppendText(KString& out) const;

    int32_t year = -1;
    int32_t month = -1;  // 0 to 11
    int32_t day = -1;    // 1 to 31
    int32_t dayOfWeek = -1;
    int32_t hour = -1;
    int32_t minute = -1;
    int32_t second = -1;
    int32_t millisecond = -1;
};

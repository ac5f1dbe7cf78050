#pragma once

#include <cstdint>

#include "KString.h"

// A trigger event offered to the objects of a layout: they react when their
// trigger equals the name, letter case ignored.
struct TTrigger {
    enum : int32_t { kOff = 0, kOn = 1, kToggle = 2 };

    KString15 name;
    int32_t action = kOn;
};

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

// The modifier keys held during a key press.
enum TKeyModifier : uint32_t { kKeyShift = 1, kKeyCtrl = 2, kKeyAlt = 4 };

// The name of the trigger a key press in the display window fires: "S+",
// "C+" and "A+" for the modifiers held, in that order, then function key
// F1..F24 when functionKey is 1..24, otherwise the character when its code
// is 32..127. Any other key fires nothing: false, and name is left empty.
// The name replaces what name held.
bool KeyTriggerName(int32_t functionKey, KChar character, uint32_t modifiers, KString& name);

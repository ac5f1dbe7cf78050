#pragma once

#include <cstdint>

#include "KString.h"

class TLayoutObject;

// One object of each class, without parent, that new objects are cloned
// from: index 0 text, 1 bitmap, 2 video display. Reading a layout file finds the class by its
// exact class name here.
class TPrototypes {
  public:
    static int32_t Count();
    // Null for an index out of range.
    static const TLayoutObject* At(int32_t index);
    static const TLayoutObject* Find(const KString& className);
};

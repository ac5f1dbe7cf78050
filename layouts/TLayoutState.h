#pragma once

#include <cstdint>

#include "KColorTable.h"
#include "KList.h"
#include "TLayoutObject.h"

// Everything of a layout that is saved: background, source rule and the
// objects in drawing order (first = backmost). The state owns its objects.
// The source mask has bit i set when the packet definition with definition
// index i is selected.
class TLayoutState : public KListItem {
  public:
    const char* ClassName() const override { return "TLayoutState"; }

    KColor background = kColorBlue;
    int32_t sourceMode = 0;
    uint32_t sourceMask = 0;
    KListOf<TLayoutObject> objects;
};

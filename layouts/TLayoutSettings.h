#pragma once

#include "KString.h"

class KRegistry;

// The settings the layout model uses: the texts of the object info line and
// the generated layout name. They are bound once at start-up and read at
// each use; unbound, the built-in defaults answer.
class TLayoutSettings {
  public:
    enum Text : int {
        kStatic,
        kDynamic,
        kTrigger,
        kOverride,
        kTextType,
        kBitmapType,
        kVideoDisplayType,
        kDefaultName,
        kTextCount
    };

    static void Bind(KRegistry* settings);
    static const KString& Get(Text text);
};

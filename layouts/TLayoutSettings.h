#pragma once

#include <cstdint>

#include "KString.h"

class KRegistry;

// The settings the layout model uses: the texts of the object info line, the
// generated layout name and the shortest delay between animation frames,
// bound once at start-up and read at each use (unbound, the built-in
// defaults answer); and the application folder, where pictures of relative
// names are found. Binding also binds the memory budget and the picture
// cache to the same settings.
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
    // Display\MinAnimDelay in milliseconds, 30 when unbound.
    static int32_t MinAnimDelay();

    static void SetApplicationFolder(const KString& folder);
    // Lives as long as the program.
    static const KString& ApplicationFolder();
};

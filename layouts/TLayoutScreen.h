#pragma once

#include <cstdint>

#include "KPoint.h"

class TLayout;

// What the open layouts and the remote commands ask of the display window:
// which layout it shows, to show another (delay in ms, negative = draw at
// once, null = none), and the size layouts are fitted to when resized
// automatically. The display engine implements it.
class TLayoutScreen {
  public:
    virtual ~TLayoutScreen() = default;
    virtual TLayout* CurrentLayout() const = 0;
    virtual void ShowLayout(TLayout* layout, int32_t delay) = 0;
    virtual KSize LayoutSize() const = 0;
};

#pragma once

#include <QPoint>
#include <cstdint>

#include "KCharClass.h"
#include "KPoint.h"

// What the display window's top-level window tells the program. The calls
// arrive on the user-interface thread, from the window's own event handlers.
class KZScreenEvents {
  public:
    virtual ~KZScreenEvents() = default;
    // The window is about to show pixels the engine has not drawn (it was
    // created, resized or grown): a paint request for that rectangle of the
    // client area (physical pixels), after which the whole layout must be
    // drawn again. The window's own repaints of what the engine copied never
    // ask for this.
    virtual void RedrawNeeded(const KRect& rect) = 0;
    // A key was pressed: functionKey 1..24 for F1..F24 (then character is
    // 0), otherwise the typed character, 32..127; modifiers are TKeyModifier
    // bits (Shift 1, Ctrl 2, Alt 4).
    virtual void KeyPressed(int32_t functionKey, KChar character, uint32_t modifiers) = 0;
    // The user asked for the window's menu (right click or the menu key) at
    // a desktop position.
    virtual void MenuRequested(const QPoint& desktop) = 0;
};

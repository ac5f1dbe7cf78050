#pragma once

class TLayout;
class TLayoutObject;

// What the model asks of the display that shows a layout: redraw an object
// that changed, and draw one object during a DrawRect. The display engine
// implements it; a layout without one draws nothing.
class TLayoutDisplay {
  public:
    virtual ~TLayoutDisplay() = default;
    virtual void RedrawObject(TLayoutObject& object) = 0;
    virtual void DrawObject(TLayoutObject& object) = 0;
};

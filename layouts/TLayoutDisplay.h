#pragma once

class TLayout;
class TLayoutObject;
struct KRect;

// What the model asks of the display that shows a layout: redraw an object
// that changed, redraw a layout that was edited (an object moved, added,
// removed, restyled), and draw one object during a DrawRect. The display
// engine implements it; a layout without one draws nothing.
class TLayoutDisplay {
  public:
    virtual ~TLayoutDisplay() = default;
    virtual void RedrawObject(TLayoutObject& object) = 0;
    virtual void RedrawLayout(TLayout&) {}
    virtual void DrawObject(TLayoutObject& object) = 0;
};

// Told of every change to a layout's picture or objects: an edit, or an
// object's redraw (a new value, frame or visibility), which changes nothing
// outside the object's rectangle. An editor's window watches the layout it
// shows.
class TLayoutWatcher {
  public:
    virtual ~TLayoutWatcher() = default;
    virtual void LayoutChanged() = 0;
    virtual void ObjectRedrawn(const KRect& rect) = 0;
};

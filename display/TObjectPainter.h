#pragma once

#include "KString.h"

class K3DFonts;
class KBandCanvas;
class TLayoutObject;
class TTextObject;

// Draws one layout object into the band a canvas is composing, as the board
// shows it: a text through the fonts, a picture or a video display's buffer
// centred in its rectangle. Hidden objects draw nothing.
class TObjectPainter {
  public:
    explicit TObjectPainter(K3DFonts& fonts) : fonts_(fonts) {}

    void Draw(KBandCanvas& canvas, TLayoutObject& object);
    // Whether Draw would put anything on the board now.
    bool DrawsAnything(TLayoutObject& object);

  private:
    void DrawText(KBandCanvas& canvas, TTextObject& object);

    K3DFonts& fonts_;
    // Grown once; a drawn text allocates nothing in steady state.
    KString text_{63, KString::kMaxLimit};
};

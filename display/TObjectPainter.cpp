#include "TObjectPainter.h"

#include "K3DFonts.h"
#include "K3DTextBlock.h"
#include "KBandCanvas.h"
#include "TBitmapObject.h"
#include "TTextObject.h"
#include "TVideoDisplayObject.h"

namespace {

// Hands the glyphs of a text object to the canvas, each clipped to itself.
class CanvasText : public K3DTextTarget {
  public:
    explicit CanvasText(KBandCanvas& canvas) : canvas_(canvas) {}
    bool Glyph(const uint32_t* pixels, const K3DRect& r) override {
        const KRect rect{r.left, r.top, r.right, r.bottom};
        canvas_.CopyPixels(rect, pixels, 32, rect, kTransparentPixel);
        return true;
    }

  private:
    KBandCanvas& canvas_;
};

}  // namespace

void TObjectPainter::Draw(KBandCanvas& canvas, TLayoutObject& object) {
    if (!object.IsVisible()) return;
    const int64_t key = 0;
    if (auto* text = dynamic_cast<TTextObject*>(&object)) {
        DrawText(canvas, *text);
    } else if (auto* bitmap = dynamic_cast<TBitmapObject*>(&object)) {
        if (const KBitmap* frame = bitmap->CurrentFrame())
            canvas.DrawImageCentred(object.Rect(), *frame, bitmap->BlackTransparent() ? key : -1);
    } else if (auto* video = dynamic_cast<TVideoDisplayObject*>(&object)) {
        if (video->Display().HasBuffer())
            canvas.DrawImageCentred(object.Rect(), video->Display().Buffer(),
                                    video->BlackTransparent() ? key : -1);
    }
}

bool TObjectPainter::DrawsAnything(TLayoutObject& object) {
    if (!object.IsVisible()) return false;
    if (auto* text = dynamic_cast<TTextObject*>(&object)) {
        text_.Empty();
        text->GetDrawnText(text_);
        return !text_.IsEmpty();
    }
    if (auto* bitmap = dynamic_cast<TBitmapObject*>(&object))
        return bitmap->CurrentFrame() != nullptr;
    if (auto* video = dynamic_cast<TVideoDisplayObject*>(&object))
        return video->Display().HasBuffer();
    return false;
}

void TObjectPainter::DrawText(KBandCanvas& canvas, TTextObject& object) {
    text_.Empty();
    object.GetDrawnText(text_);
    if (text_.IsEmpty()) return;
    const KRect r = object.Rect();
    CanvasText target(canvas);
    K3DTextBlock(fonts_, object.Font())
        .Draw({r.left, r.top, r.right, r.bottom}, text_, object.Justification(), object.Lines(),
              target);
}

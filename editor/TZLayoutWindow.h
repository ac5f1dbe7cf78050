#pragma once

#include <QWidget>
#include <cstdint>

#include "KPoint.h"

class TLayout;
class TLayoutObject;

// The objects of a layout at the editor's scale: each one a framed box with
// a grip strip along its top, a grip in its bottom-right corner, its label
// and, below it, its info line; selected objects in the highlight colour.
class TZLayoutWindow : public QWidget {
  public:
    static constexpr int32_t kGrip = 8;

    TZLayoutWindow(TLayout& layout, int32_t numer, int32_t denom, QWidget* parent);

    // Layout coordinates to window pixels and back, each coordinate
    // separately, truncating toward zero.
    KRect ToWindow(const KRect& rect) const;
    int32_t ToWindow(int32_t v) const;
    int32_t ToLayout(int32_t v) const;
    TLayout& Layout() const { return layout_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void PaintObject(QPainter& painter, const TLayoutObject& object);

    TLayout& layout_;
    int32_t numer_;
    int32_t denom_;
};

#include "TZLayoutWindow.h"

#include <QPainter>
#include <algorithm>

#include "KZText.h"
#include "TLayout.h"
#include "TLayoutObject.h"

TZLayoutWindow::TZLayoutWindow(TLayout& layout, int32_t numer, int32_t denom, QWidget* parent)
    : QWidget(parent), layout_(layout), numer_(numer), denom_(denom) {
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor(96, 96, 96));
    setPalette(colours);
}

int32_t TZLayoutWindow::ToWindow(int32_t v) const {
    return static_cast<int32_t>(
        std::clamp<int64_t>(int64_t{v} * numer_ / denom_, INT32_MIN, INT32_MAX));
}

int32_t TZLayoutWindow::ToLayout(int32_t v) const {
    return static_cast<int32_t>(
        std::clamp<int64_t>(int64_t{v} * denom_ / numer_, INT32_MIN, INT32_MAX));
}

KRect TZLayoutWindow::ToWindow(const KRect& r) const {
    return {ToWindow(r.left), ToWindow(r.top), ToWindow(r.right), ToWindow(r.bottom)};
}

void TZLayoutWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    for (const TLayoutObject& o : layout_.Objects()) PaintObject(painter, o);
}

void TZLayoutWindow::PaintObject(QPainter& painter, const TLayoutObject& object) {
    const KRect r = ToWindow(object.Rect());
    const QRect box(QPoint(r.left, r.top), QPoint(r.right, r.bottom));
    const bool selected = object.Flags() & TLayoutObject::kSelected;
    const QColor face = selected ? palette().color(QPalette::Highlight) : QColor(224, 224, 224);
    const QColor ink = selected ? palette().color(QPalette::HighlightedText) : Qt::black;
    painter.fillRect(box, face);
    painter.fillRect(QRect(box.left(), box.top(), box.width(), kGrip), face.darker(130));
    painter.fillRect(QRect(box.right() - kGrip + 1, box.bottom() - kGrip + 1, kGrip, kGrip),
                     face.darker(160));
    painter.setPen(ink);
    painter.drawRect(box.adjusted(0, 0, -1, -1));

    KString label(63, KString::kMaxLimit), info(63, KString::kMaxLimit);
    object.GetLabel(label);
    object.GetInfo(info);
    const QString labelText = KZQString(label), infoText = "[" + KZQString(info) + "]";
    const QRect text = box.adjusted(2, kGrip, -2, -2);
    const int lineHeight = painter.fontMetrics().height();
    painter.save();
    painter.setClipRect(text);
    if (text.height() < 2 * lineHeight) {
        painter.drawText(text, Qt::AlignCenter, labelText + " " + infoText);
    } else {
        const int middle = text.top() + text.height() / 2;
        painter.drawText(QRect(text.left(), middle - lineHeight, text.width(), lineHeight),
                         Qt::AlignHCenter | Qt::AlignBottom, labelText);
        painter.drawText(QRect(text.left(), middle, text.width(), lineHeight),
                         Qt::AlignHCenter | Qt::AlignTop, infoText);
    }
    painter.restore();
}

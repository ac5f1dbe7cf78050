#include "KZDisplaySurface.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>
#include <algorithm>

#include "KMovePixels.h"
#include "KZScreenEvents.h"
#include "TTrigger.h"

namespace {

// Pixels arrive as 0x00RRGGBB, or 0xFF000000 for the transparent key; the
// image's format wants an opaque alpha byte, and the key shows as black.
constexpr uint32_t kOpaque = 0xFF000000u;

// The part of rect, moved by dx, dy, that lies inside an image of size.
QRect InsideImage(const KRect& rect, int64_t dx, int64_t dy, const QSize& size) {
    const int64_t left = std::max<int64_t>(rect.left + dx, 0);
    const int64_t top = std::max<int64_t>(rect.top + dy, 0);
    const int64_t right = std::min<int64_t>(rect.right + dx, size.width() - 1);
    const int64_t bottom = std::min<int64_t>(rect.bottom + dy, size.height() - 1);
    if (right < left || bottom < top) return {};
    return QRect(static_cast<int>(left), static_cast<int>(top), static_cast<int>(right - left + 1),
                 static_cast<int>(bottom - top + 1));
}

uint32_t ModifierBits(Qt::KeyboardModifiers modifiers) {
    uint32_t bits = 0;
    if (modifiers & Qt::ShiftModifier) bits |= kKeyShift;
    if (modifiers & Qt::ControlModifier) bits |= kKeyCtrl;
    if (modifiers & Qt::AltModifier) bits |= kKeyAlt;
    return bits;
}

}  // namespace

KZDisplaySurface::KZDisplaySurface(KZScreenEvents* events)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), events_(events) {
    // Every pixel is painted from the image: no background fill first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::StrongFocus);
    FitImage();
    UpdatePointer();
}

void KZDisplaySurface::SetCoversMainMonitor(bool covers) {
    coversMain_ = covers;
    UpdatePointer();
}

void KZDisplaySurface::Move(const KRect& rect) {
    const int64_t width = int64_t{rect.right} - rect.left + 1;
    const int64_t height = int64_t{rect.bottom} - rect.top + 1;
    const QRect geometry(rect.left, rect.top,
                         static_cast<int>(std::clamp<int64_t>(width, 1, QWIDGETSIZE_MAX)),
                         static_cast<int>(std::clamp<int64_t>(height, 1, QWIDGETSIZE_MAX)));
    // Where each monitor is an X screen of its own, the window moves to the
    // screen whose rectangle it is given; on one desktop the toolkit follows
    // the geometry by itself.
    // Going to another X screen makes a new platform window, hidden.
    const bool shown = isVisible();
    if (screen()->geometry() != geometry) {
        for (QScreen* monitor : QGuiApplication::screens()) {
            if (monitor->geometry() != geometry) continue;
            setScreen(monitor);
            break;
        }
    }
    setGeometry(geometry);
    if (shown && !isVisible()) {
        // The widget still counts itself shown: it must be hidden first.
        hide();
        show();
    }
    // A hidden window gets its resize event only when shown; the engine
    // draws for the new size at once.
    FitImage();
}

void KZDisplaySurface::SetTopmost(bool on) {
    // Changing the hint through the widget would recreate the window (hiding
    // it); the platform window takes the new hint in place, and the widget
    // only records it.
    Qt::WindowFlags flags = windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, on);
    if (flags == windowFlags()) return;
    overrideWindowFlags(flags);
    if (QWindow* window = windowHandle()) window->setFlags(flags);
}

void KZDisplaySurface::CopyBand(const KRect& physical, const uint32_t* pixels) {
    const QRect part = InsideImage(physical, 0, 0, image_.size());
    if (part.isEmpty()) return;
    const int64_t bandWidth = int64_t{physical.right} - physical.left + 1;
    for (int y = part.top(); y <= part.bottom(); ++y) {
        const uint32_t* from = pixels + (y - int64_t{physical.top}) * bandWidth +
                               (part.left() - int64_t{physical.left});
        uint32_t* to = reinterpret_cast<uint32_t*>(image_.scanLine(y)) + part.left();
        for (int x = 0; x < part.width(); ++x) to[x] = from[x] | kOpaque;
    }
    Unshown(part);
}

bool KZDisplaySurface::CopyRegion(const KRect& physical, int32_t dx, int32_t dy) {
    if (image_.isNull()) return false;
    uint32_t* pixels = reinterpret_cast<uint32_t*>(image_.bits());
    const size_t pitch = static_cast<size_t>(image_.bytesPerLine()) / sizeof(uint32_t);
    if (!KMovePixels(pixels, pitch, {image_.width(), image_.height()}, physical, dx, dy))
        return false;
    Unshown(InsideImage(physical, dx, dy, image_.size()));
    return true;
}

void KZDisplaySurface::Unshown(const QRect& rect) {
    update(rect);  // shown by the toolkit's next turn at the latest
    unshown_ |= rect;
}

void KZDisplaySurface::Present() {
    // Inside a paint the toolkit paints again anyway; elsewhere the pixels
    // go to the X server now, not at the toolkit's next turn.
    if (!unshown_.isEmpty() && !painting_ && isVisible()) repaint(unshown_);
    unshown_ = QRect();
}

void KZDisplaySurface::paintEvent(QPaintEvent* event) {
    // The engine's redraw lands in the image before it is shown, so a
    // resized window never shows a black frame first.
    painting_ = true;
    if (undrawn_ && events_) {
        undrawn_ = false;
        const QRect r = event->rect();
        events_->RedrawNeeded(KRect{r.left(), r.top(), r.right(), r.bottom()});
    }
    painting_ = false;
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(event->rect(), image_, event->rect());
}

void KZDisplaySurface::resizeEvent(QResizeEvent* event) {
    FitImage();
    QWidget::resizeEvent(event);
}

void KZDisplaySurface::keyPressEvent(QKeyEvent* event) {
    const uint32_t modifiers = ModifierBits(event->modifiers());
    const int key = event->key();
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) {
        if (events_) events_->KeyPressed(key - Qt::Key_F1 + 1, 0, modifiers);
        return;
    }
    const QString text = event->text();
    if (text.size() == 1 && text[0].unicode() >= 32 && text[0].unicode() <= 127) {
        if (events_) events_->KeyPressed(0, text[0].unicode(), modifiers);
        return;
    }
    QWidget::keyPressEvent(event);
}

void KZDisplaySurface::contextMenuEvent(QContextMenuEvent* event) {
    if (events_) events_->MenuRequested(event->globalPos());
}

void KZDisplaySurface::closeEvent(QCloseEvent* event) {
    event->ignore();
}

void KZDisplaySurface::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange) UpdatePointer();
    QWidget::changeEvent(event);
}

void KZDisplaySurface::FitImage() {
    if (image_.size() == size()) return;
    image_ = QImage(size(), QImage::Format_RGB32);
    image_.fill(kOpaque);
    undrawn_ = true;
    update();
}

void KZDisplaySurface::UpdatePointer() {
    // The pointer is a property of the window: it shows again wherever the
    // window is not, and when the window is destroyed.
    if (!coversMain_ || isActiveWindow()) {
        setCursor(Qt::BlankCursor);
    } else {
        unsetCursor();
    }
}

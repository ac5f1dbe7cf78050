#pragma once

#include <QImage>
#include <QWidget>

#include "KScreenSurface.h"

class KZScreenEvents;

// The display window on the desktop: a frameless top-level window that
// shows the pixels the display engine composes. It keeps every pixel the
// engine copied in an image of its client size, so the toolkit's repaints
// (exposure, stacking) are served from that image; only pixels the engine
// has never drawn (a new or resized window) make it ask the program for a
// full redraw. Band and region copies land in the image at once and are put
// on screen together when the engine presents its pass, without waiting for
// the toolkit's next turn (at which copies not presented show). The mouse pointer is hidden over
// the window; when the window covers the main monitor, only while the window is active, so an
// operator who switches away gets the pointer back. Needs a QApplication.
class KZDisplaySurface : public QWidget, public KScreenSurface {
  public:
    explicit KZDisplaySurface(KZScreenEvents* events = nullptr);

    // Where key presses, menu requests and redraw requests go (null: nowhere).
    void SetEvents(KZScreenEvents* events) { events_ = events; }
    void SetCoversMainMonitor(bool covers) override;
    // The composed pixels, 0xFFRRGGBB.
    const QImage& Image() const { return image_; }

    void Move(const KRect& rect) override;
    void SetTopmost(bool on) override;
    KSize ClientSize() const override { return {width(), height()}; }
    void CopyBand(const KRect& physical, const uint32_t* pixels) override;
    bool CopyRegion(const KRect& physical, int32_t dx, int32_t dy) override;
    void Present() override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void changeEvent(QEvent* event) override;
    // The window lives as long as the program: closing it is refused.
    void closeEvent(QCloseEvent* event) override;

  private:
    // A new image when the client size changed: black, not drawn yet.
    void FitImage();
    void UpdatePointer();
    // Pixels of the image that changed and are to be shown.
    void Unshown(const QRect& rect);

    KZScreenEvents* events_;
    QImage image_;
    bool undrawn_ = true;
    bool painting_ = false;
    // What was copied since the last Present.
    QRect unshown_;
    bool coversMain_ = false;
};

#include "TZDisplayWindow.h"

#include <algorithm>

#include "K3DFonts.h"
#include "KBitmaps.h"
#include "KClock.h"
#include "KFrameBufferSurface.h"
#include "KLog.h"
#include "KMemoryStream.h"
#include "KRegistry.h"
#include "KScreenSurface.h"
#include "KTargaReader.h"
#include "TLayout.h"
#include "TLayoutObject.h"

namespace {

const uint8_t kLogoTarga[] = {
#include "TessaronLogo.inc"
};

int32_t ValueOr(const KRInt* setting, int32_t missing) {
    return setting ? setting->value : missing;
}

KRInt* Bind(KRegistry& settings, const char16_t* name) {
    KString path(63);
    path.Append(KString(u"\\Display\\")).Append(KString(name));
    return settings.FindInt(path);
}

// The product logo, built into the program so that it never depends on the
// files of the application folder.
void LoadLogo(KBitmap& logo) {
    KMemoryStream stream(std::string(reinterpret_cast<const char*>(kLogoTarga), sizeof kLogoTarga));
    KBitmaps frames;
    KTargaReader::Read(stream, frames);
    if (frames.Count() == 0) return;
    logo.SetSize(frames.Width(), frames.Height());
    logo.SetFormat(KBitmap::kImageFormat);
    if (logo.Allocate()) logo.CopyFrom(*frames.Frame(0));
}

}  // namespace

void TZDisplayWindow::AdjustAtStartUp(KRegistry& settings, KSize maxDisplay) {
    KRInt* width = Bind(settings, u"Width");
    KRInt* height = Bind(settings, u"Height");
    if (ValueOr(Bind(settings, u"UseMax"), 0) != 0 && width && height) {
        width->Set(maxDisplay.width);
        height->Set(maxDisplay.height);
    }
    const int32_t autoRotate = ValueOr(Bind(settings, u"AutoRotate"), 0);
    KRInt* rotate = Bind(settings, u"Rotate");
    if (autoRotate != 0 && rotate)
        rotate->Set(maxDisplay.width < maxDisplay.height ? autoRotate : 0);
}

TZDisplayWindow::TZDisplayWindow(KRegistry& settings, K3DFonts& fonts, KScreenSurface& surface,
                                 const KClock& clock, std::vector<KRect> monitors, KLog* log,
                                 KSize maxDisplay)
    : settings_(settings),
      fonts_(fonts),
      surface_(surface),
      clock_(clock),
      monitors_(std::move(monitors)),
      log_(log),
      maxDisplay_{std::clamp(maxDisplay.width, 10, KFrameBufferSurface::kMaxSide),
                  std::clamp(maxDisplay.height, 10, KFrameBufferSurface::kMaxSide)},
      monitor_(Bind(settings, u"Monitor")),
      left_(Bind(settings, u"Left")),
      top_(Bind(settings, u"Top")),
      width_(Bind(settings, u"Width")),
      height_(Bind(settings, u"Height")),
      alwaysOnTop_(Bind(settings, u"AlwaysOnTop")),
      screens_(Bind(settings, u"Screens")),
      rotate_(Bind(settings, u"Rotate")),
      logoCorner_(Bind(settings, u"LogoCorner")),
      optimize_(Bind(settings, u"Optimize")),
      canvas_(ValueOr(Bind(settings, u"CacheSize"), 0)),
      background_(kColorBlue),
      scroller_(settings, *this, surface, clock, log) {
    if (monitors_.empty()) monitors_.push_back({0, 0, 639, 479});
    LoadLogo(logo_);
    placement_ = monitors_[0];
    surface_.Move(placement_);
    Place();
}

void TZDisplayWindow::Place() {
    if (!monitor_ || !left_ || !top_ || !width_ || !height_ || !alwaysOnTop_) return;
    const int32_t index = monitor_->value;
    KRect rect;
    bool topmost;
    if (index >= 0) {
        rect = monitors_[static_cast<size_t>(index) < monitors_.size() ? index : 0];
        topmost = false;
        coversMain_ = rect == monitors_[0];
    } else {
        // Sides of at least one pixel: a window of no size cannot be shown.
        const int64_t width = std::clamp(width_->value, 1, maxDisplay_.width);
        const int64_t height = std::clamp(height_->value, 1, maxDisplay_.height);
        rect.left = std::clamp<int64_t>(left_->value, INT32_MIN, INT32_MAX - width + 1);
        rect.top = std::clamp<int64_t>(top_->value, INT32_MIN, INT32_MAX - height + 1);
        rect.right = static_cast<int32_t>(rect.left + width - 1);
        rect.bottom = static_cast<int32_t>(rect.top + height - 1);
        topmost = alwaysOnTop_->value != 0;
        coversMain_ = false;
    }
    rect.right = std::min<int64_t>(rect.right, int64_t{rect.left} + maxDisplay_.width - 1);
    rect.bottom = std::min<int64_t>(rect.bottom, int64_t{rect.top} + maxDisplay_.height - 1);
    if (!(rect == placement_)) {
        placement_ = rect;
        surface_.Move(rect);
    }
    if (topmost != topmost_) {
        topmost_ = topmost;
        surface_.SetTopmost(topmost);
    }
    surface_.SetCoversMainMonitor(coversMain_);
}

int32_t TZDisplayWindow::Rotation() const {
    const int32_t rotate = ValueOr(rotate_, 0);
    return rotate >= 0 && rotate <= 2 ? rotate : 0;
}

KRect TZDisplayWindow::LogicalArea() const {
    const KSize client = surface_.ClientSize();
    if (Rotation() == 0) return {0, 0, client.width - 1, client.height - 1};
    return {0, 0, client.height - 1, client.width - 1};
}

int32_t TZDisplayWindow::ScreenCount() const {
    return std::clamp(ValueOr(screens_, 1), 1, std::max(LogicalArea().Width(), 1));
}

int32_t TZDisplayWindow::ScreenWidth(int32_t i) const {
    const int32_t count = ScreenCount();
    const int32_t width = LogicalArea().Width();
    if (i == -1) i = count - 1;
    if (i < 0 || i >= count) return 0;
    return width / count + (i >= count - width % count ? 1 : 0);
}

KRect TZDisplayWindow::LayoutArea() const {
    const KRect logical = LogicalArea();
    return {0, 0, ScreenWidth(-1) - 1, logical.bottom};
}

KSize TZDisplayWindow::LayoutSize() const {
    const KRect area = LayoutArea();
    return {area.Width(), area.Height()};
}

KRect TZDisplayWindow::ToPhysical(const KRect& r) const {
    const KSize client = surface_.ClientSize();
    const int32_t x1 = client.width - 1, y1 = client.height - 1;
    switch (Rotation()) {
        case 1:
            return {r.top, y1 - r.right, r.bottom, y1 - r.left};
        case 2:
            return {x1 - r.bottom, r.left, x1 - r.top, r.right};
        default:
            return r;
    }
}

KRect TZDisplayWindow::LogoRectangle() const {
    const KRect area = LayoutArea();
    const int32_t corner = ValueOr(logoCorner_, 2);
    const int32_t margin = area.Width() / 25;
    KRect logo;
    logo.left = corner & 1 ? area.right - margin - (kLogoWidth - 1) : area.left + margin;
    logo.top = corner & 2 ? area.bottom - margin - (kLogoHeight - 1) : area.top + margin;
    logo.right = logo.left + kLogoWidth - 1;
    logo.bottom = logo.top + kLogoHeight - 1;
    return logo;
}

bool TZDisplayWindow::ShowsLogo() const {
    return ValueOr(monitor_, 0) != -1 || ValueOr(height_, 480) > 249;
}

void TZDisplayWindow::DrawArea(const KRect& rect, int32_t screen) {
    if (canvas_.Bytes() == 0) return;
    const KRect area = LayoutArea();
    const KRect clipped = rect.Intersection(area);
    const int32_t offset = scroller_.BeginDrawing();
    if (clipped.IsEmpty()) return;
    screenFilter_ = screen;
    // The glyphs of a text that spans several bands are rasterised once.
    fonts_.Cache().BeginPass();
    DrawLayout(clipped, offset);
    fonts_.Cache().EndPass();
    surface_.Present();
    if (listener_) listener_->AreaDrawn(clipped);
}

void TZDisplayWindow::DrawLayout(KRect rect, int32_t offset) {
    const int32_t rotation = Rotation();
    const uint32_t background = fonts_.Colors().Pixel(background_);
    const bool logo = ShowsLogo() && logo_.Row(0);
    const KRect logoRect = LogoRectangle();
    while (!rect.IsEmpty()) {
        const int64_t rows = std::min<int64_t>(canvas_.RowsFor(rect.Width()), rect.Height());
        if (rows < 1) {
            if (log_) log_->Write(KString(u"TZDisplayWindow::DrawLayout: rows <= 0"), u'E');
            return;
        }
        const KRect band{rect.left, rect.top, rect.right,
                         rect.top + static_cast<int32_t>(rows) - 1};
        canvas_.Begin(band, rotation);
        canvas_.Fill(background);
        if (current_) current_->DrawRect(band);
        if (logo) canvas_.CopyPixels(logoRect, logo_.Row(0), logo_.DepthCode(), logoRect, -1);
        CopyBandToScreens(offset);
        canvas_.End();
        rect.top = band.bottom + 1;
    }
}

// Copies the composed band to each screen it is shown on. Screen i's copy
// of the layout area begins at the offset plus the widths of the screens
// before it, modulo the logical width; the part of a copy that runs past the
// right edge continues at the left edge. Where a screen narrower than the
// layout area overlaps the next screen's first column, the next screen's
// copy, made later, covers it.
void TZDisplayWindow::CopyBandToScreens(int32_t offset) {
    const int32_t width = LogicalArea().Width();
    const KRect band = canvas_.Band();
    const int32_t count = ScreenCount();
    int32_t start = (offset % width + width) % width;
    for (int32_t i = 0; i < count; ++i) {
        if (screenFilter_ == -1 || screenFilter_ == i) {
            KRect at{band.left + start, band.top, band.right + start, band.bottom};
            if (at.left < width) surface_.CopyBand(ToPhysical(at), canvas_.Pixels());
            if (at.right >= width) {
                at.left -= width, at.right -= width;
                surface_.CopyBand(ToPhysical(at), canvas_.Pixels());
            }
        }
        start += ScreenWidth(i);
        if (start >= width) start -= width;
    }
}

void TZDisplayWindow::DrawObject(TLayoutObject& object) {
    painter_.Draw(canvas_, object);
}

void TZDisplayWindow::FullRedraw() {
    redrawPending_ = false;
    if (scroller_.ResetPending()) scroller_.Restart();
    DrawArea(LayoutArea(), -1);
}

void TZDisplayWindow::Paint(const KRect& rect) {
    if (rect.IsEmpty()) return;
    scroller_.Reset();
    FullRedraw();
}

// An edit may touch many objects at once: they are drawn together at the
// next tick, and a switch that waits for its delay keeps waiting.
void TZDisplayWindow::RedrawLayout(TLayout& layout) {
    if (&layout != current_ || redrawPending_) return;
    redrawPending_ = true;
    redrawDue_ = clock_.Ms();
}

void TZDisplayWindow::ObjectChanged(TLayoutObject& object) {
    if (!current_ || object.Layout() != current_) return;
    if (redrawPending_ || scroller_.ResetPending()) {
        FullRedraw();
    } else {
        DrawArea(object.Rect(), -1);
    }
}

void TZDisplayWindow::ShowLayout(TLayout* layout, int32_t delay) {
    if (layout == current_) return;
    current_ = layout;
    scroller_.Reset();
    if (layout) background_ = layout->State().background;
    if (listener_) listener_->CurrentChanged(layout);
    if (delay < 0) {
        FullRedraw();
    } else {
        // Even without a delay the old picture stays for the rest of this
        // tick: the passes that follow at once read what arrived with the
        // command, and the first value for the new layout draws it whole.
        redrawPending_ = true;
        redrawDue_ = clock_.Ms() + std::max(delay, 1);
    }
}

void TZDisplayWindow::Tick() {
    if (redrawPending_ && clock_.Ms() - redrawDue_ >= 0) FullRedraw();
    scroller_.Step();
}

int64_t TZDisplayWindow::NextDue() const {
    return std::min(redrawPending_ ? redrawDue_ : KClock::kNever, scroller_.NextDue());
}

bool TZDisplayWindow::NoDelay() const {
    return ValueOr(optimize_, 0) & 1;
}

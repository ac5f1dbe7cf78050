#pragma once

#include <cstdint>
#include <vector>

#include "KBandCanvas.h"
#include "KBitmap.h"
#include "KPoint.h"
#include "KString.h"
#include "TLayoutDisplay.h"
#include "TLayoutScreen.h"
#include "TObjectPainter.h"
#include "TZScroller.h"

class K3DFonts;
class KClock;
class KLog;
class KRInt;
class KRegistry;
class KScreenSurface;

// Hears what the display window does, for tools that report it.
class TZDisplayListener {
  public:
    virtual ~TZDisplayListener() = default;
    // An area was drawn: the rectangle after clipping to the layout area.
    virtual void AreaDrawn(const KRect& rect) = 0;
    virtual void CurrentChanged(TLayout* layout) = 0;
};

// The window that shows the current layout to the audience, without the
// toolkit: where it sits (a monitor of the list, main first, or a rectangle
// of the settings), how layout coordinates turn into its pixels (rotation,
// several identical screens side by side), and when and how the layout is
// composed into the display cache and copied to the surface. Every setting
// is read when it is used, so a change applies at the next placement or
// drawing.
class TZDisplayWindow : public TLayoutDisplay, public TLayoutScreen {
  public:
    // The application's largest display size unless it sets another (each
    // side at least 10).
    static constexpr KSize kMaxDisplay{4095, 4095};
    static constexpr int32_t kLogoWidth = 176;
    static constexpr int32_t kLogoHeight = 52;

    // Once, before the window exists: UseMax takes the largest size as the
    // window's Width and Height, AutoRotate turns a display taller than wide.
    static void AdjustAtStartUp(KRegistry& settings, KSize maxDisplay = kMaxDisplay);

    // monitors: the desktop's monitor rectangles, the main monitor first
    // (at least one). The window starts on the main monitor and is placed.
    TZDisplayWindow(KRegistry& settings, K3DFonts& fonts, KScreenSurface& surface,
                    const KClock& clock, std::vector<KRect> monitors, KLog* log,
                    KSize maxDisplay = kMaxDisplay);

    // Moves the window where the settings say: a monitor of the list (the
    // main one when the number has none) or the Left/Top/Width/Height
    // rectangle, cut to the largest display size, on top when asked.
    void Place();
    bool CoversMainMonitor() const { return coversMain_; }
    bool IsTopmost() const { return topmost_; }
    const KRect& Placement() const { return placement_; }
    // The desktop's monitors, the main one first.
    const std::vector<KRect>& Monitors() const { return monitors_; }

    int32_t Rotation() const;
    KRect LogicalArea() const;
    // Screens beyond one per logical column add nothing and are not counted.
    int32_t ScreenCount() const;
    // Screen i from the logical left edge; -1 is the last screen.
    int32_t ScreenWidth(int32_t i) const;
    // The part of the logical area each screen shows.
    KRect LayoutArea() const;
    KRect ToPhysical(const KRect& logical) const;
    KRect LogoRectangle() const;
    bool ShowsLogo() const;

    // Draws the part of the layout area within rect, on every screen
    // (screen -1) or one, each screen's copy where the scroll offset puts it.
    void DrawArea(const KRect& rect, int32_t screen);
    // The whole layout area; unscrolled when a step with Reset on happened.
    void FullRedraw();
    // A paint request of the window for a rectangle of its client area
    // (the window was made, resized or uncovered pixels it never had): the
    // scrolling is reset and the whole layout drawn; an empty rectangle
    // does nothing.
    void Paint(const KRect& rect);
    // An object of the current layout looks different now.
    void ObjectChanged(TLayoutObject& object);
    // The periodic work of one pass: a redraw that came due, a scroll step.
    void Tick();
    // The millisecond of the clock from which Tick has work: the redraw
    // deadline or the next scroll step; KClock::kNever when none.
    int64_t NextDue() const;
    // "No delay": the program's loop should not pause after this pass.
    bool NoDelay() const;

    TLayout* CurrentLayout() const override { return current_; }
    void ShowLayout(TLayout* layout, int32_t delay) override;
    KSize LayoutSize() const override;
    void RedrawObject(TLayoutObject& object) override { ObjectChanged(object); }
    void RedrawLayout(TLayout& layout) override;
    void DrawObject(TLayoutObject& object) override;

    void SetListener(TZDisplayListener* listener) { listener_ = listener; }
    const KBandCanvas& Canvas() const { return canvas_; }
    const TZScroller& Scroller() const { return scroller_; }

  private:
    void DrawLayout(KRect rect, int32_t offset);
    void CopyBandToScreens(int32_t offset);

    KRegistry& settings_;
    K3DFonts& fonts_;
    KScreenSurface& surface_;
    const KClock& clock_;
    std::vector<KRect> monitors_;
    KLog* log_;
    KSize maxDisplay_;
    KRInt* monitor_;
    KRInt* left_;
    KRInt* top_;
    KRInt* width_;
    KRInt* height_;
    KRInt* alwaysOnTop_;
    KRInt* screens_;
    KRInt* rotate_;
    KRInt* logoCorner_;
    KRInt* optimize_;

    KRect placement_;
    bool coversMain_ = false;
    bool topmost_ = false;
    KBandCanvas canvas_;
    KBitmap logo_;
    int32_t screenFilter_ = -1;
    TLayout* current_ = nullptr;
    uint32_t background_;
    bool redrawPending_ = false;
    int64_t redrawDue_ = 0;
    TZScroller scroller_;
    TZDisplayListener* listener_ = nullptr;
    TObjectPainter painter_{fonts_};
};

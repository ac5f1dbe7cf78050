#pragma once

#include <cstdint>
#include <utility>

#include "KPoint.h"

class KClock;
class KLog;
class KRInt;
class KRegistry;
class KScreenSurface;
class TZDisplayWindow;

// The display window's ticker. The layout area repeats across the screens
// and slides along the logical x axis: screen i's copy starts at the offset
// plus the widths of the screens before it, modulo the logical width W, and
// a copy running past the right edge continues at the left edge. A step
// moves the window's own pixels with one region copy and redraws from the
// layout only the strip that entered. Simple mode (Reset on, Mode 2..5,
// Step exactly 1) instead moves the picture one physical pixel and copies
// the edge line to the opposite edge, with the offset kept at 0.
//
// The settings (Display\Scroll\Mode, Start, Delay, Reset, Step and the
// "No slip" bit of Display\Optimize) are read at every use; a missing one
// counts as its default, a missing Mode as off. Times are readings of the
// engine's clock (10-µs units); Start and Delay are milliseconds.
class TZScroller {
  public:
    TZScroller(KRegistry& settings, TZDisplayWindow& window, KScreenSurface& surface,
               const KClock& clock, KLog* log);

    bool IsOn() const;
    // Logical pixels, 0..W-1.
    int32_t Offset() const { return offset_; }
    bool IsStarted() const { return started_; }
    // A step happened with Reset on: the next update redraws unscrolled.
    bool ResetPending() const { return resetPending_; }

    // The offset a drawing uses now: 0 while scrolling is off. With Reset on
    // and no reset pending, a drawing restarts the wait, so the ticker moves
    // only once the display has been still for a full interval.
    int32_t BeginDrawing();
    // A new layout is shown or the window refreshed: off clears the state,
    // simple mode returns to offset 0, offset mode keeps the ticker's
    // position (brought within the present width).
    void Reset();
    // A full redraw after a step with Reset on, or scrolling turned off:
    // unscrolled, and the Start interval runs again from now.
    void Restart();
    // Called on every pass of the loop: one step when its interval is over.
    void Step();
    // The millisecond of the clock from which Step has a step to make;
    // KClock::kNever while scrolling is off.
    int64_t NextDue() const;

  private:
    bool IsSimple() const;
    // Milliseconds between steps, or before the first one.
    int32_t Interval() const;
    // True when a step is due; the reference time then moves on for it.
    bool TimeForStep();
    int32_t Normalised(int64_t offset) const;
    // Simple mode: the picture moves one pixel in direction (2..5).
    void Rotate(int32_t direction);
    // Offset mode: the picture moves by Step logical pixels.
    void Slide();
    void Move(int32_t direction, int32_t distance);
    void Copy(const KRect& rect, int32_t dx, int32_t dy);
    void DrawLastColumns(int32_t distance);
    void DrawFirstColumns(int32_t distance);
    // The screen whose copy, laid from the scroll offset on, covers the
    // logical column (counted on past the area's right edge), and the
    // column's place among that screen's layout columns.
    std::pair<int32_t, int32_t> ScreenCovering(int64_t column) const;
    void DrawColumns(int32_t first, int32_t last, int32_t screen);

    TZDisplayWindow& window_;
    KScreenSurface& surface_;
    const KClock& clock_;
    KLog* log_;
    KRInt* mode_;
    KRInt* start_;
    KRInt* delay_;
    KRInt* reset_;
    KRInt* step_;
    KRInt* optimize_;

    int32_t offset_ = 0;
    bool started_ = false;
    bool resetPending_ = false;
    int64_t reference_;
};

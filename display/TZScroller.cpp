#include "TZScroller.h"

#include <algorithm>

#include "KClock.h"
#include "KLog.h"
#include "KRValues.h"
#include "KRegistry.h"
#include "KScreenSurface.h"
#include "TZDisplayWindow.h"

namespace {

// Directions of the picture's motion in the window (the Mode values 2..5).
constexpr int32_t kLeft = 2, kRight = 3, kUp = 4, kDown = 5;
constexpr int32_t kNoSlip = 2;

int32_t ValueOr(const KRInt* setting, int32_t missing) {
    return setting ? setting->value : missing;
}

// Left and right, up and down: each pair differs in its lowest bit only.
int32_t Opposite(int32_t direction) {
    return direction ^ 1;
}

}  // namespace

TZScroller::TZScroller(KRegistry& settings, TZDisplayWindow& window, KScreenSurface& surface,
                       const KClock& clock, KLog* log)
    : window_(window),
      surface_(surface),
      clock_(clock),
      log_(log),
      mode_(settings.FindInt(KString(u"\\Display\\Scroll\\Mode"))),
      start_(settings.FindInt(KString(u"\\Display\\Scroll\\Start"))),
      delay_(settings.FindInt(KString(u"\\Display\\Scroll\\Delay"))),
      reset_(settings.FindInt(KString(u"\\Display\\Scroll\\Reset"))),
      step_(settings.FindInt(KString(u"\\Display\\Scroll\\Step"))),
      optimize_(settings.FindInt(KString(u"\\Display\\Optimize"))),
      reference_(clock.Units()) {}

bool TZScroller::IsOn() const {
    return ValueOr(mode_, 0) != 0;
}

bool TZScroller::IsSimple() const {
    const int32_t mode = ValueOr(mode_, 0);
    return ValueOr(reset_, 0) != 0 && mode >= kLeft && mode <= kDown && ValueOr(step_, 1) == 1;
}

int32_t TZScroller::BeginDrawing() {
    if (!IsOn()) return 0;
    if (ValueOr(reset_, 0) != 0 && !resetPending_) reference_ = clock_.Units();
    return offset_;
}

void TZScroller::Reset() {
    if (!IsOn()) {
        Restart();
    } else if (IsSimple()) {
        offset_ = 0;
    } else {
        offset_ = Normalised(offset_);
    }
}

void TZScroller::Restart() {
    offset_ = 0;
    started_ = false;
    resetPending_ = false;
    reference_ = clock_.Units();
}

int32_t TZScroller::Normalised(int64_t offset) const {
    const int64_t width = window_.LogicalArea().Width();
    if (offset < 0) {
        offset += width;
    } else if (offset >= width) {
        offset -= width;
    }
    return offset >= 0 && offset < width ? static_cast<int32_t>(offset) : 0;
}

void TZScroller::Step() {
    if (!IsOn() || window_.LogicalArea().IsEmpty() || !TimeForStep()) return;
    if (ValueOr(reset_, 0) != 0) resetPending_ = true;
    started_ = true;
    if (IsSimple()) {
        Rotate(ValueOr(mode_, 0));
    } else {
        Slide();
    }
    surface_.Present();
}

int32_t TZScroller::Interval() const {
    return started_ ? ValueOr(delay_, 34) : ValueOr(start_, 500);
}

int64_t TZScroller::NextDue() const {
    if (!IsOn() || window_.LogicalArea().IsEmpty()) return KClock::kNever;
    // Rounded up: a pass in that millisecond finds the interval over. A
    // negative interval is due at once.
    const int64_t due =
        reference_ + std::max(int64_t{Interval()}, int64_t{0}) * KClock::kUnitsPerMs;
    return (due + KClock::kUnitsPerMs - 1) / KClock::kUnitsPerMs;
}

bool TZScroller::TimeForStep() {
    const int64_t now = clock_.Units();
    const int64_t interval = int64_t{Interval()} * KClock::kUnitsPerMs;
    const int64_t elapsed = now - reference_;
    // A negative elapsed time counts as due.
    if (elapsed >= 0 && elapsed < interval) return false;
    // "No slip": a step late by less than an interval keeps the cadence.
    const bool noSlip = (ValueOr(optimize_, 0) & kNoSlip) != 0;
    if (noSlip && started_ && elapsed >= interval && elapsed < 2 * interval) {
        reference_ += interval;
    } else {
        reference_ = now;
    }
    return true;
}

void TZScroller::Rotate(int32_t direction) {
    offset_ = 0;
    Move(direction, 1);
    // After the move, the line at the edge the picture moved towards is
    // copied to the edge it moved away from. The line pushed out by the
    // first step is not seen again: the picture goes round with a period of
    // one line less than the window, with the seam line shown twice.
    const KSize client = surface_.ClientSize();
    const int32_t x1 = client.width - 1, y1 = client.height - 1;
    switch (direction) {
        case kLeft:
            Copy({0, 0, 0, y1}, x1, 0);
            break;
        case kRight:
            Copy({x1, 0, x1, y1}, -x1, 0);
            break;
        case kUp:
            Copy({0, 0, x1, 0}, 0, y1);
            break;
        default:
            Copy({0, y1, x1, y1}, 0, -y1);
            break;
    }
}

void TZScroller::Slide() {
    // Forward steps move the picture towards lower logical x, which the
    // rotation turns into a physical direction.
    const int32_t rotation = window_.Rotation();
    int32_t direction = rotation == 1 ? kDown : rotation == 2 ? kUp : kLeft;
    int64_t step = ValueOr(step_, 1);
    const bool reverse = step < 0;
    if (reverse) step = -step, direction = Opposite(direction);
    const int64_t half = window_.LayoutArea().Width() / 2;
    const auto distance = static_cast<int32_t>(std::max<int64_t>(std::min(step, half), 1));
    Move(direction, distance);
    if (reverse) {
        offset_ = Normalised(int64_t{offset_} + distance);
        DrawFirstColumns(distance);
    } else {
        offset_ = Normalised(int64_t{offset_} - distance);
        DrawLastColumns(distance);
    }
}

void TZScroller::Move(int32_t direction, int32_t distance) {
    const KSize client = surface_.ClientSize();
    KRect rect{0, 0, client.width - 1, client.height - 1};
    switch (direction) {
        case kLeft:
            rect.left = distance;
            Copy(rect, -distance, 0);
            break;
        case kRight:
            rect.right -= distance;
            Copy(rect, distance, 0);
            break;
        case kUp:
            rect.top = distance;
            Copy(rect, 0, -distance);
            break;
        default:
            rect.bottom -= distance;
            Copy(rect, 0, distance);
            break;
    }
}

void TZScroller::Copy(const KRect& rect, int32_t dx, int32_t dy) {
    // The step goes on: the strip is drawn all the same.
    if (!surface_.CopyRegion(rect, dx, dy) && log_)
        log_->Write(KString(u"KZWindowObjectLeech::DrawRegionCopy: RegionCopy failed"), u'E');
}

// The last distance logical columns entered. The screen whose copy covers
// column W-1 shows them, or, when that copy begins inside the strip, it
// shows the strip's end and the screen before it (cyclically; with one
// screen the screen itself) shows the beginning.
void TZScroller::DrawLastColumns(int32_t distance) {
    const int32_t count = window_.ScreenCount();
    const int32_t area = window_.LayoutArea().Width();
    const auto [screen, k] = ScreenCovering(window_.LogicalArea().Width() - 1);
    if (k + 1 >= distance) {
        DrawColumns(k - distance + 1, k, screen);
        return;
    }
    // A screen narrower than the layout area draws one column more, which
    // falls on the next screen's first column: the previous screen is drawn
    // first, so that this screen's own first column covers it.
    const int32_t previous = (screen + count - 1) % count;
    const int32_t d = distance + (window_.ScreenWidth(previous) < area ? 1 : 0);
    DrawColumns(k + area - d + 1, area - 1, previous);
    DrawColumns(0, k, screen);
}

// The first distance logical columns entered: shown by the screen whose
// copy covers column 0 and, when that screen's own columns end inside the
// strip, by the next screen (cyclically; with one screen the screen itself).
void TZScroller::DrawFirstColumns(int32_t distance) {
    const int32_t count = window_.ScreenCount();
    const int32_t area = window_.LayoutArea().Width();
    const auto [screen, k] = ScreenCovering(window_.LogicalArea().Width());
    // The screen's own width decides: a screen narrower than the layout area
    // hands its last layout column over to the next screen.
    const int32_t shown = window_.ScreenWidth(screen);
    if (shown - k >= distance) {
        DrawColumns(k, k + distance - 1, screen);
        return;
    }
    DrawColumns(k, area - 1, screen);
    const int32_t d = distance + (shown < area ? 1 : 0);
    DrawColumns(0, d + k - area - 1, (screen + 1) % count);
}

std::pair<int32_t, int32_t> TZScroller::ScreenCovering(int64_t column) const {
    int64_t start = offset_;
    for (int32_t i = 0; i < window_.ScreenCount(); ++i) {
        const int64_t end = start + window_.ScreenWidth(i);
        if (end > column) return {i, static_cast<int32_t>(column - start)};
        start = end;
    }
    return {0, 0};
}

void TZScroller::DrawColumns(int32_t first, int32_t last, int32_t screen) {
    window_.DrawArea({first, 0, last, window_.LayoutArea().bottom}, screen);
}

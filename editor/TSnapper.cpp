#include "TSnapper.h"

#include <cstdlib>

namespace {

int32_t Centre(int32_t from, int32_t to) {
    return static_cast<int32_t>((int64_t{from} + to) / 2);
}

// The offset that puts v on the nearest multiple of step.
int32_t GridOffset(int32_t v, int32_t step) {
    if (step < 2) return 0;
    int32_t rest = v % step;
    if (rest < 0) rest += step;
    return rest * 2 < step ? -rest : step - rest;
}

}  // namespace

TSnapper::TSnapper(KSize layout, KSize grid, int32_t reach)
    : layout_(layout), grid_(grid), reach_(reach) {
    AddFixed({0, 0, layout.width - 1, layout.height - 1});
}

void TSnapper::AddFixed(const KRect& r) {
    for (int32_t x : {r.left, Centre(r.left, r.right), r.right + 1}) targetsX_.push_back(x);
    for (int32_t y : {r.top, Centre(r.top, r.bottom), r.bottom + 1}) targetsY_.push_back(y);
}

int32_t TSnapper::Snap(bool vertical, const std::vector<int32_t>& lines) {
    const std::vector<int32_t>& targets = vertical ? targetsX_ : targetsY_;
    int64_t best = int64_t{reach_} + 1;
    int32_t offset = 0, line = 0;
    for (int32_t from : lines) {
        for (int32_t to : targets) {
            const int64_t d = int64_t{to} - from;
            if (std::llabs(d) < best)
                best = std::llabs(d), offset = static_cast<int32_t>(d), line = to;
        }
    }
    if (best <= reach_) {
        guides_.push_back({vertical, line});
        return offset;
    }
    return GridOffset(lines.front(), vertical ? grid_.width : grid_.height);
}

KRect TSnapper::Move(const KRect& r) {
    guides_.clear();
    const int32_t dx = Snap(true, {r.left, Centre(r.left, r.right), r.right + 1});
    const int32_t dy = Snap(false, {r.top, Centre(r.top, r.bottom), r.bottom + 1});
    return {r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
}

KRect TSnapper::Resize(const KRect& sized, uint32_t edges) {
    guides_.clear();
    KRect r = sized;
    if (edges & 1) r.left += Snap(true, {r.left});
    if (edges & 4) r.right += Snap(true, {r.right + 1});
    if (edges & 2) r.top += Snap(false, {r.top});
    if (edges & 8) r.bottom += Snap(false, {r.bottom + 1});
    return r;
}

#include "TWebBoard.h"

#include <algorithm>
#include <cstring>

#include "KMovePixels.h"

namespace {

constexpr int32_t kMaxSide = 16384;

KRect Whole(const KSize& size) {
    return {0, 0, size.width - 1, size.height - 1};
}

KRect Cut(const KRect& rect, const KSize& size) {
    return rect.Intersection(Whole(size));
}

}  // namespace

void TWebBoard::Move(const KRect& rect) {
    const int64_t width = static_cast<int64_t>(rect.right) - rect.left + 1;
    const int64_t height = static_cast<int64_t>(rect.bottom) - rect.top + 1;
    const KSize size{static_cast<int32_t>(std::clamp<int64_t>(width, 0, kMaxSide)),
                     static_cast<int32_t>(std::clamp<int64_t>(height, 0, kMaxSide))};
    std::lock_guard lock(mutex_);
    if (size.width == size_.width && size.height == size_.height) return;
    size_ = size;
    pixels_.assign(static_cast<size_t>(size.width) * size.height, 0);
    ++version_;
    for (Viewer& viewer : viewers_) viewer.changed = Whole(size_);
}

KSize TWebBoard::ClientSize() const {
    std::lock_guard lock(mutex_);
    return size_;
}

void TWebBoard::CopyBand(const KRect& physical, const uint32_t* pixels) {
    std::lock_guard lock(mutex_);
    const KRect cut = Cut(physical, size_);
    if (cut.IsEmpty()) return;
    // Only the pixels that differ are marked: a band spans the board, while a
    // running clock changes a few digits of it, and every viewer is sent (and
    // the encoder compresses) what is marked.
    const size_t bandWidth = static_cast<size_t>(physical.Width());
    const int32_t width = cut.Width();
    KRect changed;
    for (int32_t y = cut.top; y <= cut.bottom; ++y) {
        const uint32_t* from = pixels + (y - physical.top) * bandWidth + (cut.left - physical.left);
        uint32_t* to = &pixels_[static_cast<size_t>(y) * size_.width + cut.left];
        if (std::memcmp(to, from, sizeof(uint32_t) * width) == 0) continue;
        int32_t first = 0, last = width - 1;
        while (from[first] == to[first]) ++first;
        while (from[last] == to[last]) --last;
        std::memcpy(to + first, from + first, sizeof(uint32_t) * (last - first + 1));
        changed = changed.Union({cut.left + first, y, cut.left + last, y});
    }
    MarkChanged(changed);
}

bool TWebBoard::CopyRegion(const KRect& physical, int32_t dx, int32_t dy) {
    std::lock_guard lock(mutex_);
    if (!KMovePixels(pixels_.data(), size_.width, size_, physical, dx, dy)) return false;
    const KRect moved{physical.left + dx, physical.top + dy, physical.right + dx,
                      physical.bottom + dy};
    MarkChanged(Cut(moved, size_));
    changed_.notify_all();
    return true;
}

void TWebBoard::Present() {
    changed_.notify_all();
}

void TWebBoard::MarkChanged(const KRect& rect) {
    if (rect.IsEmpty()) return;
    ++version_;
    for (Viewer& viewer : viewers_) viewer.changed = viewer.changed.Union(rect);
}

TWebBoard::Viewer* TWebBoard::Join() {
    std::lock_guard lock(mutex_);
    Viewer& viewer = viewers_.emplace_back();
    viewer.changed = Whole(size_);
    return &viewer;
}

void TWebBoard::Leave(Viewer* viewer) {
    std::lock_guard lock(mutex_);
    viewers_.remove_if([viewer](const Viewer& v) { return &v == viewer; });
}

void TWebBoard::Stop(Viewer* viewer) {
    {
        std::lock_guard lock(mutex_);
        viewer->stopped = true;
    }
    changed_.notify_all();
}

bool TWebBoard::Take(Viewer* viewer, std::chrono::steady_clock::time_point notBefore,
                     Change& change) {
    std::unique_lock lock(mutex_);
    for (;;) {
        if (viewer->stopped) return false;
        if (!viewer->changed.IsEmpty()) {
            if (std::chrono::steady_clock::now() >= notBefore) break;
            changed_.wait_until(lock, notBefore);
        } else {
            changed_.wait(lock);
        }
    }
    const KRect rect = Cut(viewer->changed, size_);
    viewer->changed = KRect{};
    change.size = size_;
    change.version = version_;
    change.resized = viewer->size.width != size_.width || viewer->size.height != size_.height;
    viewer->size = size_;
    change.rect = rect;
    change.pixels.resize(rect.IsEmpty() ? 0 : static_cast<size_t>(rect.Width()) * rect.Height());
    for (int32_t y = rect.top; y <= rect.bottom; ++y)
        std::memcpy(&change.pixels[static_cast<size_t>(y - rect.top) * rect.Width()],
                    &pixels_[static_cast<size_t>(y) * size_.width + rect.left],
                    sizeof(uint32_t) * rect.Width());
    return true;
}

std::vector<uint32_t> TWebBoard::Pixels() const {
    std::lock_guard lock(mutex_);
    return pixels_;
}

#include "TWebDelay.h"

#include <algorithm>
#include <cstdint>
#include <vector>

TWebDelay::TWebDelay(KScreenSurface& board, int32_t ms)
    : board_(board), delay_(std::max(ms, 0)), thread_([this] { Run(); }) {}

TWebDelay::~TWebDelay() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    posted_.notify_all();
    thread_.join();
}

void TWebDelay::Post(std::function<void()> work, size_t bytes) {
    {
        std::lock_guard lock(mutex_);
        held_.push_back({Clock::now() + delay_, std::move(work), bytes});
        bytes_ += bytes;
    }
    posted_.notify_all();
}

void TWebDelay::Run() {
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        if (held_.empty()) {
            posted_.wait(lock);
            continue;
        }
        // Over the bound, the oldest is handed on at once.
        if (bytes_ <= kMaxHeld && Clock::now() < held_.front().due) {
            posted_.wait_until(lock, held_.front().due);
            continue;
        }
        Held next = std::move(held_.front());
        held_.pop_front();
        bytes_ -= next.bytes;
        lock.unlock();
        next.work();
        lock.lock();
    }
}

void TWebDelay::Move(const KRect& rect) {
    const int64_t width = int64_t{rect.right} - rect.left + 1;
    const int64_t height = int64_t{rect.bottom} - rect.top + 1;
    size_ = {static_cast<int32_t>(std::clamp<int64_t>(width, 0, INT32_MAX)),
             static_cast<int32_t>(std::clamp<int64_t>(height, 0, INT32_MAX))};
    Post([this, rect] { board_.Move(rect); }, 0);
}

void TWebDelay::CopyBand(const KRect& physical, const uint32_t* pixels) {
    if (physical.IsEmpty()) return;
    std::vector<uint32_t> copy(pixels,
                               pixels + static_cast<size_t>(physical.Width()) * physical.Height());
    const size_t bytes = copy.size() * sizeof(uint32_t);
    Post([this, physical, copy = std::move(copy)] { board_.CopyBand(physical, copy.data()); },
         bytes);
}

bool TWebDelay::CopyRegion(const KRect& physical, int32_t dx, int32_t dy) {
    Post([this, physical, dx, dy] { board_.CopyRegion(physical, dx, dy); }, 0);
    return true;
}

void TWebDelay::Present() {
    Post([this] { board_.Present(); }, 0);
}

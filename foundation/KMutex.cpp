#include "KMutex.h"

#include <chrono>

bool KMutex::Lock(int32_t timeout) {
    const std::thread::id self = std::this_thread::get_id();
    std::unique_lock<std::mutex> lock(mutex_);
    if (count_ > 0 && owner_ == self) {
        ++count_;
        return true;
    }
    auto free = [&] { return count_ == 0; };
    if (timeout < 0) {
        released_.wait(lock, free);
    } else if (!released_.wait_for(lock, std::chrono::milliseconds(timeout), free)) {
        return false;
    }
    owner_ = self;
    count_ = 1;
    return true;
}

bool KMutex::Unlock() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (count_ == 0 || owner_ != std::this_thread::get_id()) return false;
    if (--count_ == 0) {
        owner_ = std::thread::id();
        released_.notify_one();
    }
    return true;
}

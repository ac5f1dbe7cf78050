#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

// A lock that the thread holding it may take again.
class KMutex {
  public:
    // Waits up to timeout milliseconds (for ever when negative); true when
    // the caller holds the lock.
    bool Lock(int32_t timeout = -1);
    // False when the caller does not hold the lock.
    bool Unlock();

  private:
    std::mutex mutex_;
    std::condition_variable released_;
    std::thread::id owner_;
    int32_t count_ = 0;
};

#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

// A manual-reset event, not signalled when created. Every operation on an
// event that was not created does nothing (Wait answers false).
class KEvent {
  public:
    bool Create() {
        created_ = true;
        return true;
    }
    void Set();
    void Reset();
    // Releases the threads waiting now and leaves the event reset.
    void Pulse();
    // Waits up to timeout milliseconds (for ever when negative); true when
    // the event was signalled.
    bool Wait(int32_t timeout);

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool created_ = false;
    bool signalled_ = false;
    uint64_t pulses_ = 0;
};

// The monotonic millisecond tick count.
uint64_t KTickCount();

// The program loop's pause between idle passes: 1 ms, which the system may
// stretch by up to half a millisecond to wake this thread together with other
// timers. An idle program then wakes about 650 times a second instead of 900.
void KIdlePause();

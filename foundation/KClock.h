#pragma once

#include <cstdint>
#include <ctime>

// The one clock the display engine runs on, in units of 10 µs (the
// application clock) with milliseconds derived from it. The program reads
// the monotonic clock; the headless renderer and tests drive a virtual one,
// so delays, triggers, animation and scrolling can be stepped frame by frame.
class KClock {
  public:
    static constexpr int64_t kUnitsPerMs = 100;
    // A deadline that never comes: nothing timed waits.
    static constexpr int64_t kNever = INT64_MAX;

    virtual ~KClock() = default;
    virtual int64_t Units() const = 0;
    int64_t Ms() const { return Units() / kUnitsPerMs; }
};

class KMonotonicClock : public KClock {
  public:
    int64_t Units() const override {
        timespec t;
        clock_gettime(CLOCK_MONOTONIC, &t);
        return static_cast<int64_t>(t.tv_sec) * 100000 + t.tv_nsec / 10000;
    }
};

class KVirtualClock : public KClock {
  public:
    int64_t Units() const override { return units_; }
    void SetMs(int64_t ms) { units_ = ms * kUnitsPerMs; }
    void AdvanceUnits(int64_t units) { units_ += units; }

  private:
    int64_t units_ = 0;
};

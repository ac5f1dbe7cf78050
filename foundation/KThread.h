#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

#include "KEvent.h"

// A worker thread that starts paused and is resumed, paused again and
// stopped by one controlling thread; acknowledgements make each change wait
// until the worker has really left the previous state. A class that gives
// the body stops the thread in its own destructor, before its parts go.
class KThread {
  public:
    enum : int { kStopped = 0, kRunning = 1, kPaused = 2 };

    KThread() = default;
    KThread(const KThread&) = delete;
    KThread& operator=(const KThread&) = delete;
    virtual ~KThread() { Stop(); }

    // From stopped only; the thread waits paused until Resume. Priority
    // (-3 idle ... 3 time-critical) and stack size are hints.
    bool Start(int priority = 0, int32_t stackSize = 0);
    bool Resume();
    bool Pause(bool wait);
    bool WaitPaused(int32_t timeout);
    bool Stop();
    bool IsCurrentThread() const;
    int State() const { return state_.load(); }

  protected:
    // The body, called each time the thread starts running; it returns when
    // the state leaves running (the wake signal tells it to look).
    virtual void Run() = 0;
    KEvent& WakeSignal() { return wake_; }

  private:
    void Procedure();

    std::atomic<int> state_{kStopped};
    std::thread thread_;
    KEvent runGate_;
    KEvent pausedAck_;
    KEvent runningAck_;
    KEvent wake_;
};

// A thread that calls Tick once a period while it runs.
class KPeriodicTask : public KThread {
  public:
    bool StartPeriodic(int32_t period, int priority = 0, int32_t stackSize = 0) {
        period_ = period;
        return Start(priority, stackSize);
    }

  protected:
    void Run() override;
    // Called on the task's thread with the millisecond tick count.
    virtual void Tick(uint64_t now) = 0;

  private:
    int32_t period_ = -1;
};

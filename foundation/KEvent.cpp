#include "KEvent.h"

#include <sys/prctl.h>

#include <chrono>
#include <ctime>

uint64_t KTickCount() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<uint64_t>(t.tv_sec) * 1000 + static_cast<uint64_t>(t.tv_nsec) / 1000000;
}

void KIdlePause() {
    static thread_local bool slackSet = false;
    if (!slackSet) {
        prctl(PR_SET_TIMERSLACK, 500000UL);
        slackSet = true;
    }
    const timespec oneMillisecond{0, 1000000};
    nanosleep(&oneMillisecond, nullptr);
}

void KEvent::Set() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!created_) return;
    signalled_ = true;
    changed_.notify_all();
}

void KEvent::Reset() {
    std::lock_guard<std::mutex> lock(mutex_);
    signalled_ = false;
}

void KEvent::Pulse() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!created_) return;
    ++pulses_;
    signalled_ = false;
    changed_.notify_all();
}

bool KEvent::Wait(int32_t timeout) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!created_) return false;
    const uint64_t pulses = pulses_;
    auto done = [&] { return signalled_ || pulses_ != pulses; };
    if (timeout < 0) {
        changed_.wait(lock, done);
        return true;
    }
    return changed_.wait_for(lock, std::chrono::milliseconds(timeout), done);
}

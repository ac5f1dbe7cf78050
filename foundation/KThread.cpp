#include "KThread.h"

#include <system_error>

bool KThread::Start(int, int32_t) {
    if (state_ != kStopped) return false;
    runGate_.Create();
    pausedAck_.Create();
    runningAck_.Create();
    wake_.Create();
    runGate_.Reset();
    pausedAck_.Set();
    runningAck_.Reset();
    state_ = kPaused;
    try {
        thread_ = std::thread(&KThread::Procedure, this);
    } catch (const std::system_error&) {
        state_ = kStopped;
    }
    return state_ != kStopped;
}

void KThread::Procedure() {
    while (state_ != kStopped) {
        if (state_ == kPaused) {
            pausedAck_.Set();
            runGate_.Wait(-1);
        }
        if (state_ == kRunning) {
            runningAck_.Set();
            Run();
        }
    }
}

bool KThread::Resume() {
    if (state_ == kPaused) {
        pausedAck_.Wait(-1);
        runningAck_.Reset();
        wake_.Reset();
        state_ = kRunning;
        runGate_.Set();
    }
    return state_ == kRunning;
}

bool KThread::Pause(bool wait) {
    if (state_ == kRunning) {
        runningAck_.Wait(-1);
        runGate_.Reset();
        pausedAck_.Reset();
        state_ = kPaused;
        wake_.Set();
    }
    if (wait && state_ == kPaused) pausedAck_.Wait(-1);
    return state_ == kPaused;
}

bool KThread::WaitPaused(int32_t timeout) {
    return state_ == kPaused && pausedAck_.Wait(timeout);
}

bool KThread::Stop() {
    if (state_ != kStopped) {
        state_ = kStopped;
        runGate_.Set();
        wake_.Set();
    }
    if (thread_.joinable() && !IsCurrentThread()) thread_.join();
    return state_ == kStopped;
}

bool KThread::IsCurrentThread() const {
    return thread_.joinable() && thread_.get_id() == std::this_thread::get_id();
}

void KPeriodicTask::Run() {
    for (;;) {
        WakeSignal().Wait(period_);
        if (State() != kRunning) return;
        Tick(KTickCount());
    }
}

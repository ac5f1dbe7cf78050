#include "TWebControl.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>

namespace {

KWebHandler::Response Busy() {
    return {503, "application/json", "{\"error\":\"the program is busy\"}"};
}

}  // namespace

TWebControl::TWebControl() : event_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

TWebControl::~TWebControl() {
    if (event_ >= 0) close(event_);
}

KWebHandler::Response TWebControl::Call(Work work, std::chrono::milliseconds timeout) {
    auto call = std::make_shared<Call_>();
    call->work = std::move(work);
    std::unique_lock lock(mutex_);
    if (waiting_.size() >= kMaxWaiting) return Busy();
    waiting_.push_back(call);
    posted_ = true;
    if (event_ >= 0) {
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = write(event_, &one, sizeof one);
    }
    if (!answered_.wait_for(lock, timeout, [&call] { return call->done; })) {
        // Not run yet: it never will be.
        std::erase(waiting_, call);
        return Busy();
    }
    return call->response;
}

void TWebControl::Run() {
    if (!posted_.exchange(false)) return;
    if (event_ >= 0) {
        uint64_t count;
        [[maybe_unused]] const ssize_t read_ = read(event_, &count, sizeof count);
    }
    std::unique_lock lock(mutex_);
    while (!waiting_.empty()) {
        std::shared_ptr<Call_> call = waiting_.front();
        waiting_.pop_front();
        // The work runs unlocked: it may take a while, and others may post.
        lock.unlock();
        KWebHandler::Response response = call->work();
        lock.lock();
        call->response = std::move(response);
        call->done = true;
        answered_.notify_all();
    }
}

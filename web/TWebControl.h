#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "KWebServer.h"

// Hands the web's control requests to the engine's thread: a server thread
// posts a request and waits (at most a bounded time) for the answer, which
// the engine's pass writes when it runs the waiting requests. The engine
// never waits for the server; an event descriptor is readable while a
// request waits, so a loop that sleeps on descriptors wakes for it.
class TWebControl {
  public:
    // Requests beyond this many waiting are answered 503 at once.
    static constexpr size_t kMaxWaiting = 16;
    using Work = std::function<KWebHandler::Response()>;

    TWebControl();
    ~TWebControl();
    TWebControl(const TWebControl&) = delete;
    TWebControl& operator=(const TWebControl&) = delete;

    // Server thread: work runs on the engine's thread; 503 when the engine
    // does not run it within timeout.
    KWebHandler::Response Call(Work work, std::chrono::milliseconds timeout);
    // Engine thread: runs every waiting request.
    void Run();
    int Descriptor() const { return event_; }

  private:
    struct Call_ {
        Work work;
        KWebHandler::Response response;
        bool done = false;
    };

    std::mutex mutex_;
    std::condition_variable answered_;
    std::deque<std::shared_ptr<Call_>> waiting_;
    int event_ = -1;
    // Set with the event, so that a pass with nothing waiting costs no system call.
    std::atomic<bool> posted_{false};
};

#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "KScreenSurface.h"

// Holds the web output back by a fixed time, for a stream that runs behind
// the hall: what the engine copies to the board, and the field reports
// posted to it, are kept in order and handed on by a thread of its own when
// their time comes. What is held is bounded (kMaxHeld bytes of copies):
// beyond it the oldest go early rather than memory growing. The surface
// calls come on the engine's thread and never wait for the board.
class TWebDelay : public KScreenSurface {
  public:
    static constexpr size_t kMaxHeld = 256 << 20;

    TWebDelay(KScreenSurface& board, int32_t ms);
    // Ends the thread; what is still held is dropped.
    ~TWebDelay() override;
    TWebDelay(const TWebDelay&) = delete;
    TWebDelay& operator=(const TWebDelay&) = delete;

    // Runs work on the delay's thread ms after now; bytes counts towards
    // the bound.
    void Post(std::function<void()> work, size_t bytes);

    void Move(const KRect& rect) override;
    void SetTopmost(bool) override {}
    KSize ClientSize() const override { return size_; }
    void CopyBand(const KRect& physical, const uint32_t* pixels) override;
    bool CopyRegion(const KRect& physical, int32_t dx, int32_t dy) override;
    void Present() override;

  private:
    using Clock = std::chrono::steady_clock;
    struct Held {
        Clock::time_point due;
        std::function<void()> work;
        size_t bytes;
    };

    void Run();

    KScreenSurface& board_;
    const std::chrono::milliseconds delay_;
    KSize size_;
    std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<Held> held_;
    size_t bytes_ = 0;
    bool stopping_ = false;
    std::thread thread_;
};

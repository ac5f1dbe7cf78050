#pragma once

// A channel whose bytes arrive in chunks: a recorded capture replayed by the
// headless renderer on its clock, and the channels of the tests. Reads take
// from what has arrived and raise "nothing waiting" (as a socket does) when a
// read asks for more, until the next chunk arrives; after the last byte has
// arrived and been read, they raise the end of the data as a file does.

#include <algorithm>
#include <cstring>
#include <string>

#include "KStream.h"
#include "KX.h"

class KChunkedStream : public KStream {
  public:
    // What a socket raises when nothing is waiting.
    static constexpr int32_t kNothingWaiting = 8002;

    explicit KChunkedStream(std::string bytes) : bytes_(std::move(bytes)) {}

    // The next n bytes arrive (at least one); false when none were left to arrive.
    bool Arrive(size_t n) {
        if (arrived_ == bytes_.size()) return false;
        arrived_ = std::min(bytes_.size(), arrived_ + std::max<size_t>(n, 1));
        return true;
    }
    // Everything up to byte n has arrived.
    void ArriveUpTo(size_t n) { arrived_ = std::max(arrived_, std::min(n, bytes_.size())); }
    bool IsOpen() override { return true; }
    bool HasInput() override { return next_ < arrived_; }
    void Read(void* buffer, int32_t n) override {
        const size_t want = static_cast<size_t>(n);
        if (arrived_ - next_ < want) {
            const bool ended = arrived_ == bytes_.size();
            throw KXStream(ended ? kErrFileRead : kNothingWaiting, 0);
        }
        std::memcpy(buffer, bytes_.data() + next_, want);
        next_ += want;
    }

  private:
    std::string bytes_;
    size_t arrived_ = 0;
    size_t next_ = 0;
};

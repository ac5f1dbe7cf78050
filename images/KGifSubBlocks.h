#pragma once

#include <cstdint>

class KStream;

// Reads the data of one GIF block: sub-blocks of a size byte and that many
// bytes, ended by a sub-block of size 0. Bytes come through a buffer holding
// one sub-block, so the per-byte path is two compares.
class KGifSubBlocks {
  public:
    // Starts on the block data that begins at the stream's position.
    void Begin(KStream& stream) {
        stream_ = &stream;
        next_ = end_ = 0;
        ended_ = false;
    }
    // The next data byte; false once the zero-size sub-block was read.
    bool Next(uint8_t* byte) {
        if (next_ == end_ && !Refill()) return false;
        *byte = buffer_[next_++];
        return true;
    }
    // Up to n data bytes; the count read.
    int32_t Read(uint8_t* out, int32_t n);
    // Reads past the rest of the data, up to and including the terminator.
    void SkipRest();

  private:
    bool Refill();

    KStream* stream_ = nullptr;
    uint8_t buffer_[255];
    int32_t next_ = 0;
    int32_t end_ = 0;
    bool ended_ = false;
};

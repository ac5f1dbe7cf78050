#include "KGifSubBlocks.h"

#include "KStream.h"

bool KGifSubBlocks::Refill() {
    if (ended_) return false;
    uint8_t size;
    stream_->Read(&size, 1);
    if (size == 0) {
        ended_ = true;
        return false;
    }
    stream_->Read(buffer_, size);
    next_ = 0;
    end_ = size;
    return true;
}

int32_t KGifSubBlocks::Read(uint8_t* out, int32_t n) {
    int32_t count = 0;
    while (count < n && Next(out + count)) ++count;
    return count;
}

void KGifSubBlocks::SkipRest() {
    next_ = end_;
    while (Refill()) next_ = end_;
}

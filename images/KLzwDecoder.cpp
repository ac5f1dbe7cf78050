#include "KLzwDecoder.h"

#include "KGifSubBlocks.h"
#include "KImageLimits.h"
#include "KX.h"

void KLzwDecoder::Start(int32_t minCodeSize) {
    minCodeSize_ = minCodeSize;
    clear_ = 1 << minCodeSize;
    end_ = clear_ + 1;
    for (int32_t i = 0; i < clear_; ++i) {
        prefix_[i] = -1;
        suffix_[i] = first_[i] = uint8_t(i);
        length_[i] = 1;
    }
    ResetTable();
}

// Entries past the end code are always assigned before a code may name them,
// so a reset only forgets how many there are.
void KLzwDecoder::ResetTable() {
    codeSize_ = minCodeSize_;
    last_ = end_;
    pending_ = -1;
}

int64_t KLzwDecoder::Decode(KGifSubBlocks& data, uint8_t* pixels, int64_t capacity) {
    int64_t count = 0;
    uint32_t bits = 0;
    int32_t held = 0;
    for (;;) {
        const int32_t width = codeSize_ + 1;
        while (held < width) {
            uint8_t byte;
            if (!data.Next(&byte)) throw KX(kErrFileContents);
            bits |= uint32_t(byte) << held;
            held += 8;
        }
        const int32_t code = int32_t(bits & ((1u << width) - 1));
        bits >>= width;
        held -= width;

        if (code == end_) return count;
        if (code == clear_) {
            ResetTable();
            continue;
        }
        // The pending entry counts as assigned once this code arrives.
        if (code > (pending_ >= 0 ? pending_ : last_)) throw KX(kErrFileContents);
        if (pending_ >= 0) {
            last_ = pending_;
            pending_ = -1;
            first_[last_] = first_[prefix_[last_]];
            length_[last_] = length_[prefix_[last_]] + 1;
            suffix_[last_] = first_[code];
        }
        if (last_ < kMaxCodes - 1) {
            pending_ = last_ + 1;
            prefix_[pending_] = int16_t(code);
            if (pending_ == 1 << width) ++codeSize_;
        }

        const int32_t length = length_[code];
        if (length > capacity - count) throw KX(kErrFileContents);
        uint8_t* out = pixels + count + length;
        for (int32_t c = code; out != pixels + count; c = prefix_[c]) *--out = suffix_[c];
        count += length;
    }
}

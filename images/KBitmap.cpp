#include "KBitmap.h"

#include <sys/mman.h>

#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "KImageLimits.h"
#include "KPngWriter.h"

namespace {

int32_t LowestBit(int32_t bits) {
    return bits & -bits;
}

// Pixel blocks of a few MiB and more go on huge pages where the system
// offers them: a frame is then first written with one fault per 2 MiB
// rather than one per 4 KiB page, which is most of the cost of a new frame.
uint8_t* NewBlock(int64_t size) {
    constexpr size_t kHugePage = size_t{2} << 20;
    if (size_t(size) < 2 * kHugePage) return static_cast<uint8_t*>(std::malloc(size_t(size)));
    void* block = nullptr;
    if (posix_memalign(&block, kHugePage, size_t(size)) != 0) return nullptr;
    madvise(block, size_t(size) / kHugePage * kHugePage, MADV_HUGEPAGE);
    return static_cast<uint8_t*>(block);
}

bool IsScalableSide(int32_t side) {
    return side >= 1 && side <= kMaxImageSide;
}

// Copies the source columns picked by offsets (byte offsets into the source
// row) into one target row of N-byte pixels.
template <int N>
void PickColumns(const uint8_t* source, const std::vector<int32_t>& offsets, uint8_t* target) {
    for (int32_t offset : offsets) {
        std::memcpy(target, source + offset, N);
        target += N;
    }
}

}  // namespace

void KBitmap::Borrow(uint8_t* pixels) {
    block_.reset();
    blockSize_ = 0;
    pixels_ = pixels;
    borrowed_ = true;
}

int32_t KBitmap::Depth() const {
    switch (LowestBit(format_ & 0x1F)) {
        case kGrey8:
            return 8;
        case kDepth15:
            return 15;
        case kDepth16:
            return 16;
        case kDepth24:
            return 24;
        case kDepth32:
            return 32;
        default:
            return 0;
    }
}

int64_t KBitmap::Stride() const {
    const int32_t align = LowestBit(format_ & 0xE0);
    return KRowStride(width_, BytesPerPixel(), align == kAlign4 ? 4 : align == kAlign2 ? 2 : 1);
}

int32_t KBitmap::DepthCode() const {
    if (Depth() == 32) return 32;
    if (Depth() != 24) return 0;
    if (Stride() == KRowStride(width_, 3, 4)) return 24;
    return Stride() == int64_t{width_} * 3 ? -24 : 0;
}

bool KBitmap::Allocate() {
    if (borrowed_) return true;
    if (width_ < 0 || height_ < 0 || Depth() == 0) return false;
    const int64_t need = Stride() * height_;
    if (need == blockSize_ || ((format_ & kKeepLarger) && need < blockSize_)) return true;
    block_.reset();
    pixels_ = nullptr;
    blockSize_ = 0;
    if (need > kMaxFramesBytes) return false;
    if (need == 0) return true;
    block_.reset(NewBlock(need));
    if (!block_) return false;
    pixels_ = block_.get();
    blockSize_ = need;
    return true;
}

uint8_t* KBitmap::Row(int32_t y) {
    if (!pixels_ || y < 0 || y >= height_) return nullptr;
    return pixels_ + Stride() * y;
}

const uint8_t* KBitmap::Row(int32_t y) const {
    return const_cast<KBitmap*>(this)->Row(y);
}

void KBitmap::EncodePixel(uint32_t rgb, uint8_t* out) const {
    const uint8_t r = rgb >> 16, g = rgb >> 8, b = rgb;
    switch (Depth()) {
        case 8:
            out[0] = (r + g + b) / 3;
            break;
        case 15:
        case 16: {
            const uint32_t word = (r >> 3) << 10 | (g >> 3) << 5 | b >> 3;
            out[0] = word, out[1] = word >> 8;
            break;
        }
        case 32:
            out[3] = 0;
            [[fallthrough]];
        case 24:
            out[0] = b, out[1] = g, out[2] = r;
            break;
    }
}

uint32_t KBitmap::DecodePixel(const uint8_t* in) const {
    switch (Depth()) {
        case 8:
            return in[0] * 0x010101u;
        case 15:
        case 16: {
            const uint32_t word = in[0] | in[1] << 8;
            return ((word >> 10) & 0x1F) << 19 | ((word >> 5) & 0x1F) << 11 | (word & 0x1F) << 3;
        }
        case 24:
        case 32:
            return in[2] << 16 | in[1] << 8 | in[0];
        default:
            return 0;
    }
}

uint32_t KBitmap::GetPixel(int32_t x, int32_t y) const {
    const uint8_t* row = Row(y);
    if (!row || x < 0 || x >= width_) return 0;
    return DecodePixel(row + x * BytesPerPixel());
}

void KBitmap::SetPixel(int32_t x, int32_t y, uint32_t rgb) {
    uint8_t* row = Row(y);
    if (row && x >= 0 && x < width_) EncodePixel(rgb, row + x * BytesPerPixel());
}

void KBitmap::FillRect(int32_t left, int32_t top, int32_t right, int32_t bottom, uint32_t rgb) {
    left = std::max(left, 0), top = std::max(top, 0);
    right = std::min(right, width_ - 1), bottom = std::min(bottom, height_ - 1);
    if (!pixels_ || left > right || top > bottom) return;
    const int32_t bpp = BytesPerPixel();
    uint8_t pixel[4];
    EncodePixel(rgb, pixel);
    uint8_t* first = Row(top) + left * bpp;
    for (int32_t x = left; x <= right; ++x) std::memcpy(first + (x - left) * bpp, pixel, bpp);
    const size_t bytes = size_t(right - left + 1) * bpp;
    for (int32_t y = top + 1; y <= bottom; ++y) std::memcpy(Row(y) + left * bpp, first, bytes);
}

bool KBitmap::CopyFrom(const KBitmap& other) {
    if (other.width_ != width_ || other.height_ != height_ || other.format_ != format_)
        return false;
    if (!pixels_ || !other.pixels_) return pixels_ == other.pixels_;
    std::memcpy(pixels_, other.pixels_, Stride() * height_);
    return true;
}

std::unique_ptr<KBitmap> KBitmap::Scaled(int32_t width, int32_t height) const {
    if (width < 0) width = width_;
    if (height < 0) height = height_;
    const int32_t bpp = BytesPerPixel();
    if ((bpp != 3 && bpp != 4) || !pixels_ || !IsScalableSide(width_) || !IsScalableSide(height_) ||
        !IsScalableSide(width) || !IsScalableSide(height))
        return nullptr;
    std::unique_ptr<KBitmap> scaled(new (std::nothrow) KBitmap(width, height, format_));
    if (!scaled || !scaled->Allocate()) return nullptr;
    scaled->delay_ = delay_;
    std::vector<int32_t> offsets(width);
    for (int32_t j = 0; j < width; ++j) offsets[j] = int64_t{width_} * j / width * bpp;
    for (int32_t i = 0; i < height; ++i) {
        const uint8_t* source = Row(int64_t{height_} * i / height);
        if (bpp == 3) {
            PickColumns<3>(source, offsets, scaled->Row(i));
        } else {
            PickColumns<4>(source, offsets, scaled->Row(i));
        }
    }
    return scaled;
}

bool KBitmap::SavePng(const std::string& path) const {
    return KPngWriter::Write(path, width_, height_, [this](int32_t y, uint8_t* rgb) {
        for (int32_t x = 0; x < width_; ++x, rgb += 3) {
            const uint32_t pixel = GetPixel(x, y);
            rgb[0] = pixel >> 16, rgb[1] = pixel >> 8, rgb[2] = pixel;
        }
    });
}

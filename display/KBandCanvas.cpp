#include "KBandCanvas.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "KBitmap.h"

namespace {

template <int Depth>
uint32_t ReadPixel(const uint8_t* row, int64_t x) {
    if constexpr (Depth == 32) {
        uint32_t v;
        std::memcpy(&v, row + 4 * x, 4);
        return v;
    } else {
        const uint8_t* p = row + 3 * x;
        return p[0] | p[1] << 8 | p[2] << 16;
    }
}

// Where a copy goes in the band: the first target pixel of the first row,
// and the steps from one source column and one source row to the next.
struct Target {
    uint32_t* first;
    int64_t stepX;
    int64_t stepY;
};

// The row loop of a copy: cols × rows source pixels from src (stride bytes
// apart) to the target, leaving out the key. An upright unkeyed 32-bit copy
// is a plain row copy; an upright keyed one a select the compiler vectorises.
template <int Depth>
void CopyRows(const uint8_t* src, int64_t stride, int64_t cols, int64_t rows, const Target& to,
              bool keyed, uint32_t key) {
    for (int64_t y = 0; y < rows; ++y, src += stride) {
        uint32_t* out = to.first + y * to.stepY;
        if (Depth == 32 && to.stepX == 1) {
            if (!keyed) {
                std::memcpy(out, src, cols * 4);
                continue;
            }
            for (int64_t x = 0; x < cols; ++x) {
                const uint32_t v = ReadPixel<32>(src, x);
                out[x] = v == key ? out[x] : v;
            }
            continue;
        }
        for (int64_t x = 0; x < cols; ++x) {
            const uint32_t v = ReadPixel<Depth>(src, x);
            if (!keyed || v != key) out[x * to.stepX] = v;
        }
    }
}

}  // namespace

KBandCanvas::KBandCanvas(int64_t bytes) {
    bytes = std::clamp(bytes, kMinBytes, kMaxBytes);
    pixels_.reset(new (std::nothrow) uint32_t[bytes / 4]);
    if (pixels_) bytes_ = bytes;
}

void KBandCanvas::Begin(const KRect& band, int32_t rotation) {
    band_ = band;
    rotation_ = rotation;
    drawing_ = true;
}

void KBandCanvas::Fill(uint32_t pixel) {
    std::fill_n(pixels_.get(), static_cast<size_t>(band_.Width()) * band_.Height(), pixel);
}

void KBandCanvas::CopyPixels(const KRect& rect, const void* pixels, int32_t depth,
                             const KRect& clip, int64_t key) {
    if (!drawing_ || !pixels) return;
    const int64_t width = static_cast<int64_t>(rect.right) - rect.left + 1;
    int64_t stride;
    switch (depth) {
        case 32:
            stride = width * 4;
            break;
        case 24:
            stride = (width * 3 + 3) / 4 * 4;
            break;
        case -24:
            stride = width * 3;
            break;
        default:
            return;
    }
    const int32_t left = std::max({rect.left, clip.left, band_.left});
    const int32_t top = std::max({rect.top, clip.top, band_.top});
    const int32_t right = std::min({rect.right, clip.right, band_.right});
    const int32_t bottom = std::min({rect.bottom, clip.bottom, band_.bottom});
    if (right < left || bottom < top) return;

    const int64_t w = band_.Width(), h = band_.Height();
    Target to;
    switch (rotation_) {
        case 1:
            to = {&pixels_[(band_.right - left) * h + (top - band_.top)], -h, 1};
            break;
        case 2:
            to = {&pixels_[(left - band_.left) * h + (band_.bottom - top)], h, -1};
            break;
        default:
            to = {&pixels_[(top - band_.top) * w + (left - band_.left)], 1, w};
            break;
    }
    const int64_t bytesPerPixel = depth == 32 ? 4 : 3;
    const uint8_t* src = static_cast<const uint8_t*>(pixels) +
                         (static_cast<int64_t>(top) - rect.top) * stride +
                         (static_cast<int64_t>(left) - rect.left) * bytesPerPixel;
    const bool keyed = key >= 0 && key <= UINT32_MAX;
    const int64_t cols = right - left + 1, rows = bottom - top + 1;
    if (depth == 32) {
        CopyRows<32>(src, stride, cols, rows, to, keyed, static_cast<uint32_t>(key));
    } else {
        CopyRows<24>(src, stride, cols, rows, to, keyed, static_cast<uint32_t>(key));
    }
}

void KBandCanvas::DrawImageCentred(const KRect& object, const KBitmap& image, int64_t key) {
    if (image.Width() <= 0 || image.Height() <= 0 || !image.Row(0)) return;
    const int64_t dx = (static_cast<int64_t>(object.right) - object.left + 1 - image.Width()) / 2;
    const int64_t dy = (static_cast<int64_t>(object.bottom) - object.top + 1 - image.Height()) / 2;
    const int64_t left = object.left + dx, top = object.top + dy;
    const int64_t right = left + image.Width() - 1, bottom = top + image.Height() - 1;
    // A picture that far out cannot meet a band.
    if (left < INT32_MIN || top < INT32_MIN || right > INT32_MAX || bottom > INT32_MAX) return;
    const KRect rect{static_cast<int32_t>(left), static_cast<int32_t>(top),
                     static_cast<int32_t>(right), static_cast<int32_t>(bottom)};
    CopyPixels(rect, image.Row(0), image.DepthCode(), object, key);
}

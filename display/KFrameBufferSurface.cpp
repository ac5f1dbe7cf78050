#include "KFrameBufferSurface.h"

#include <algorithm>
#include <cstring>

#include "KMovePixels.h"
#include "KPngWriter.h"

void KFrameBufferSurface::Move(const KRect& rect) {
    placement_ = rect;
    const int64_t width = static_cast<int64_t>(rect.right) - rect.left + 1;
    const int64_t height = static_cast<int64_t>(rect.bottom) - rect.top + 1;
    size_.width = static_cast<int32_t>(std::clamp<int64_t>(width, 0, kMaxSide));
    size_.height = static_cast<int32_t>(std::clamp<int64_t>(height, 0, kMaxSide));
    pixels_.assign(static_cast<size_t>(size_.width) * size_.height, 0);
}

void KFrameBufferSurface::CopyBand(const KRect& physical, const uint32_t* pixels) {
    const int32_t left = std::max(physical.left, 0);
    const int32_t top = std::max(physical.top, 0);
    const int32_t right = std::min(physical.right, size_.width - 1);
    const int32_t bottom = std::min(physical.bottom, size_.height - 1);
    if (right < left || bottom < top) return;
    const size_t bandWidth = static_cast<size_t>(physical.Width());
    for (int32_t y = top; y <= bottom; ++y) {
        const uint32_t* from = pixels + (y - physical.top) * bandWidth + (left - physical.left);
        std::memcpy(&pixels_[Index(left, y)], from, sizeof(uint32_t) * (right - left + 1));
    }
}

bool KFrameBufferSurface::CopyRegion(const KRect& physical, int32_t dx, int32_t dy) {
    return KMovePixels(pixels_.data(), size_.width, size_, physical, dx, dy);
}

bool KFrameBufferSurface::WritePng(const std::string& path) const {
    return KPngWriter::Write(path, size_.width, size_.height, [this](int32_t y, uint8_t* rgb) {
        for (int32_t x = 0; x < size_.width; ++x) {
            const uint32_t p = pixels_[Index(x, y)];
            rgb[3 * x] = p >> 16 & 0xFF;
            rgb[3 * x + 1] = p >> 8 & 0xFF;
            rgb[3 * x + 2] = p & 0xFF;
        }
    });
}

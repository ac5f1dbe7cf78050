#include "KFrameBufferSurface.h"

#include <algorithm>
#include <cstring>

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

bool KFrameBufferSurface::RegionCopy(const KRect& rect, int32_t dx, int32_t dy) {
    if (rect.IsEmpty()) return true;
    if (rect.left < 0 || rect.top < 0 || rect.right >= size_.width || rect.bottom >= size_.height)
        return false;
    // The part of rect whose target lies in the client area, in 64 bits so
    // that any shift is safe.
    const int64_t left = std::max<int64_t>(rect.left, -int64_t{dx});
    const int64_t right = std::min<int64_t>(rect.right, int64_t{size_.width} - 1 - dx);
    const int64_t top = std::max<int64_t>(rect.top, -int64_t{dy});
    const int64_t bottom = std::min<int64_t>(rect.bottom, int64_t{size_.height} - 1 - dy);
    if (right < left || bottom < top) return true;
    const size_t bytes = sizeof(uint32_t) * static_cast<size_t>(right - left + 1);
    // Rows moving down are copied from the bottom up, so that none is
    // overwritten before it is read; memmove handles the overlap in a row.
    const bool down = dy > 0;
    for (int64_t i = 0; i <= bottom - top; ++i) {
        const auto y = static_cast<int32_t>(down ? bottom - i : top + i);
        const auto x = static_cast<int32_t>(left);
        std::memmove(&pixels_[Index(x + dx, y + dy)], &pixels_[Index(x, y)], bytes);
    }
    return true;
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

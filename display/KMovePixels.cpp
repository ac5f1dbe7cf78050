#include "KMovePixels.h"

#include <algorithm>
#include <cstring>

bool KMovePixels(uint32_t* pixels, size_t pitch, KSize size, const KRect& rect, int32_t dx,
                 int32_t dy) {
    if (!pixels || size.width <= 0 || size.height <= 0) return false;
    // The destination, in 64 bits so that a far move cannot wrap, cut to the
    // buffer and to where the source lies inside it.
    const int64_t left = std::max<int64_t>({int64_t{rect.left} + dx, int64_t{dx}, 0});
    const int64_t top = std::max<int64_t>({int64_t{rect.top} + dy, int64_t{dy}, 0});
    const int64_t right = std::min<int64_t>(
        {int64_t{rect.right} + dx, int64_t{size.width} - 1 + dx, int64_t{size.width} - 1});
    const int64_t bottom = std::min<int64_t>(
        {int64_t{rect.bottom} + dy, int64_t{size.height} - 1 + dy, int64_t{size.height} - 1});
    if (right < left || bottom < top) return true;
    const size_t bytes = sizeof(uint32_t) * static_cast<size_t>(right - left + 1);
    // Rows moving down are taken from the bottom up, so that no source row is
    // overwritten before it is read; memmove handles the overlap within a row.
    const bool upwards = dy > 0;
    for (int64_t i = 0; i <= bottom - top; ++i) {
        const int64_t y = upwards ? bottom - i : top + i;
        uint32_t* to = pixels + static_cast<size_t>(y) * pitch + left;
        std::memmove(to, to - static_cast<int64_t>(dy) * static_cast<int64_t>(pitch) - dx, bytes);
    }
    return true;
}

#pragma once

#include <algorithm>
#include <cstdint>

struct KPoint {
    int32_t x = 0;
    int32_t y = 0;
};

struct KSize {
    int32_t width = 0;
    int32_t height = 0;
};

// A rectangle with inclusive edges.
struct KRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = -1;
    int32_t bottom = -1;

    bool Intersects(const KRect& other) const {
        return left <= other.right && other.left <= right && top <= other.bottom &&
               other.top <= bottom;
    }
    bool IsEmpty() const { return right < left || bottom < top; }
    int32_t Width() const { return right - left + 1; }
    int32_t Height() const { return bottom - top + 1; }
    // The smallest rectangle holding both; an empty one adds nothing.
    KRect Union(const KRect& other) const {
        if (IsEmpty()) return other;
        if (other.IsEmpty()) return *this;
        return {std::min(left, other.left), std::min(top, other.top), std::max(right, other.right),
                std::max(bottom, other.bottom)};
    }
    // The part both share, empty when they do not meet.
    KRect Intersection(const KRect& other) const {
        return {std::max(left, other.left), std::max(top, other.top), std::min(right, other.right),
                std::min(bottom, other.bottom)};
    }
    bool operator==(const KRect&) const = default;
};

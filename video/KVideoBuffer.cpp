#include "KVideoBuffer.h"

#include <algorithm>
#include <cstring>

#include "KColorTable.h"

bool KVideoBuffer::Allocate(int32_t width, int32_t height, int32_t rotation) {
    Release();
    if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide) return false;
    if (rotation < 0 || rotation > 2) rotation = 0;
    const bool turned = rotation != 0;
    bitmap_.SetSize(turned ? height : width, turned ? width : height);
    if (!bitmap_.Allocate()) {
        bitmap_.SetSize(0, 0);
        return false;
    }
    bitmap_.Fill(0);
    width_ = width;
    height_ = height;
    rotation_ = rotation;
    auto* pixels = reinterpret_cast<uint32_t*>(bitmap_.Row(0));
    switch (rotation) {
        case 0:
            origin_ = pixels, stepX_ = 1, stepY_ = width;
            break;
        case 1:  // (x, y) at (width-1-x) × height + y
            origin_ = pixels + int64_t{width - 1} * height, stepX_ = -height, stepY_ = 1;
            break;
        default:  // (x, y) at x × height + height-1-y
            origin_ = pixels + height - 1, stepX_ = height, stepY_ = -1;
            break;
    }
    return true;
}

void KVideoBuffer::Release() {
    bitmap_.SetSize(0, 0);
    bitmap_.Allocate();
    width_ = height_ = rotation_ = 0;
    origin_ = nullptr;
    stepX_ = stepY_ = 0;
}

uint32_t KVideoBuffer::Pixel(int32_t x, int32_t y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
    return *At(x, y);
}

bool KVideoBuffer::Clip(const K3DRect& rect, const K3DRect& clip, K3DRect* out) const {
    out->left = std::max({rect.left, clip.left, 0});
    out->top = std::max({rect.top, clip.top, 0});
    out->right = std::min({rect.right, clip.right, width_ - 1});
    out->bottom = std::min({rect.bottom, clip.bottom, height_ - 1});
    return out->left <= out->right && out->top <= out->bottom;
}

void KVideoBuffer::Fill(const K3DRect& rect, uint32_t pixel) {
    K3DRect r;
    if (pixel == kTransparentPixel || !Clip(rect, rect, &r)) return;
    for (int32_t y = r.top; y <= r.bottom; ++y) {
        uint32_t* p = At(r.left, y);
        for (int32_t x = r.left; x <= r.right; ++x, p += stepX_) *p = pixel;
    }
}

void KVideoBuffer::CopyGlyph(const K3DGlyph& glyph, const K3DRect& rect, const K3DRect& clip) {
    K3DRect r;
    if (!Clip(rect, clip, &r)) return;
    const int64_t rowLength = int64_t{rect.right} - rect.left + 1;
    for (int32_t y = r.top; y <= r.bottom; ++y) {
        // Relative to the glyph's row, rect.left being column 0.
        const uint32_t* row = glyph.pixels + (y - rect.top) * rowLength - rect.left;
        if (!glyph.runs) {
            CopyKeyed(row + r.left, r.left, r.right, y);
            continue;
        }
        const int32_t* start = glyph.rowStart + (y - rect.top);
        for (const K3DInkRun* run = glyph.runs + start[0]; run != glyph.runs + start[1]; ++run) {
            const int32_t left = std::max(r.left, rect.left + run->first);
            const int32_t right = std::min(r.right, rect.left + run->last);
            if (left <= right) CopyRun(row + left, left, right, y);
        }
    }
}

void KVideoBuffer::CopyRun(const uint32_t* source, int32_t left, int32_t right, int32_t y) {
    const int32_t n = right - left + 1;
    uint32_t* p = At(left, y);
    if (stepX_ == 1) {
        std::memcpy(p, source, size_t(n) * sizeof(uint32_t));
        return;
    }
    for (int32_t i = 0; i < n; ++i, p += stepX_) *p = source[i];
}

void KVideoBuffer::CopyKeyed(const uint32_t* source, int32_t left, int32_t right, int32_t y) {
    const int32_t n = right - left + 1;
    uint32_t* p = At(left, y);
    if (stepX_ == 1) {
        // Unturned rows are contiguous: written as a select, the keyed copy
        // becomes a vector blend.
        for (int32_t i = 0; i < n; ++i) p[i] = source[i] != kTransparentPixel ? source[i] : p[i];
        return;
    }
    for (int32_t i = 0; i < n; ++i, p += stepX_) {
        if (source[i] != kTransparentPixel) *p = source[i];
    }
}

void KVideoBuffer::CopyImage(const KBitmap& image, const K3DRect& target, const K3DRect& clip) {
    K3DRect r;
    const int32_t bpp = image.BytesPerPixel();
    if ((bpp != 3 && bpp != 4) || !Clip(target, clip, &r)) return;
    const int64_t targetWidth = int64_t{target.right} - target.left + 1;
    const int64_t targetHeight = int64_t{target.bottom} - target.top + 1;
    for (int32_t y = r.top; y <= r.bottom; ++y) {
        const uint8_t* row =
            image.Row(int32_t(int64_t{y - target.top} * image.Height() / targetHeight));
        if (!row) continue;
        uint32_t* p = At(r.left, y);
        for (int32_t x = r.left; x <= r.right; ++x, p += stepX_) {
            const uint8_t* in = row + int64_t{x - target.left} * image.Width() / targetWidth * bpp;
            *p = uint32_t(in[2]) << 16 | uint32_t(in[1]) << 8 | in[0];
        }
    }
}

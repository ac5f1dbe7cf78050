#include "KMirroredSurface.h"

#include "TZDisplayWindow.h"

void KMirroredSurface::SetMirror(KScreenSurface* mirror, const TZDisplayWindow* window) {
    mirror_ = mirror;
    window_ = window;
    mirrorSize_ = KSize{};
    FollowSize();
}

int32_t KMirroredSurface::Rotation() const {
    return window_ ? window_->Rotation() : 0;
}

void KMirroredSurface::FollowSize() {
    if (!mirror_) return;
    const int32_t rotation = Rotation();
    const KSize client = primary_.ClientSize();
    const KSize size = rotation == 0 ? client : KSize{client.height, client.width};
    if (size.width == mirrorSize_.width && size.height == mirrorSize_.height &&
        rotation == mirrorRotation_)
        return;
    mirrorSize_ = size;
    mirrorRotation_ = rotation;
    mirror_->Move({0, 0, size.width - 1, size.height - 1});
}

// The window shows logical (x, y) at physical (y, y1 - x) turned left and at
// (x1 - y, x) turned right, x1 and y1 the client area's last column and row.
KRect KMirroredSurface::ToLogical(const KRect& p, int32_t rotation) const {
    const KSize client = primary_.ClientSize();
    const int32_t x1 = client.width - 1, y1 = client.height - 1;
    if (rotation == 1) return {y1 - p.bottom, p.left, y1 - p.top, p.right};
    return {p.top, x1 - p.right, p.bottom, x1 - p.left};
}

void KMirroredSurface::Move(const KRect& rect) {
    primary_.Move(rect);
    FollowSize();
}

void KMirroredSurface::CopyBand(const KRect& physical, const uint32_t* pixels) {
    primary_.CopyBand(physical, pixels);
    FollowSize();
    if (!mirror_ || physical.IsEmpty()) return;
    const int32_t rotation = mirrorRotation_;
    if (rotation == 0) {
        mirror_->CopyBand(physical, pixels);
        return;
    }
    const KRect logical = ToLogical(physical, rotation);
    const KSize client = primary_.ClientSize();
    const int32_t x1 = client.width - 1, y1 = client.height - 1;
    const size_t width = static_cast<size_t>(physical.Width());
    turned_.resize(static_cast<size_t>(logical.Width()) * logical.Height());
    uint32_t* to = turned_.data();
    for (int32_t y = logical.top; y <= logical.bottom; ++y) {
        for (int32_t x = logical.left; x <= logical.right; ++x) {
            const int32_t px = rotation == 1 ? y : x1 - y;
            const int32_t py = rotation == 1 ? y1 - x : x;
            *to++ = pixels[(py - physical.top) * width + (px - physical.left)];
        }
    }
    mirror_->CopyBand(logical, turned_.data());
}

bool KMirroredSurface::CopyRegion(const KRect& physical, int32_t dx, int32_t dy) {
    const bool moved = primary_.CopyRegion(physical, dx, dy);
    FollowSize();
    // Where the surface could not move its pixels the engine redraws them,
    // for the mirror too.
    if (!moved || !mirror_) return moved;
    const int32_t rotation = mirrorRotation_;
    if (rotation == 0) {
        mirror_->CopyRegion(physical, dx, dy);
    } else if (rotation == 1) {
        mirror_->CopyRegion(ToLogical(physical, rotation), -dy, dx);
    } else {
        mirror_->CopyRegion(ToLogical(physical, rotation), dy, -dx);
    }
    return moved;
}

void KMirroredSurface::Present() {
    primary_.Present();
    if (mirror_) mirror_->Present();
}

#include "KMirroredSurface.h"

void KMirroredSurface::SetMirror(KScreenSurface* mirror) {
    mirror_ = mirror;
    mirrorSize_ = KSize{};
    FollowSize();
}

void KMirroredSurface::FollowSize() {
    if (!mirror_) return;
    const KSize size = primary_.ClientSize();
    if (size.width == mirrorSize_.width && size.height == mirrorSize_.height) return;
    mirrorSize_ = size;
    mirror_->Move({0, 0, size.width - 1, size.height - 1});
}

void KMirroredSurface::Move(const KRect& rect) {
    primary_.Move(rect);
    FollowSize();
}

void KMirroredSurface::CopyBand(const KRect& physical, const uint32_t* pixels) {
    primary_.CopyBand(physical, pixels);
    FollowSize();
    if (mirror_) mirror_->CopyBand(physical, pixels);
}

bool KMirroredSurface::CopyRegion(const KRect& physical, int32_t dx, int32_t dy) {
    const bool moved = primary_.CopyRegion(physical, dx, dy);
    FollowSize();
    // Where the surface could not move its pixels the engine redraws them,
    // for the mirror too.
    if (moved && mirror_) mirror_->CopyRegion(physical, dx, dy);
    return moved;
}

void KMirroredSurface::Present() {
    primary_.Present();
    if (mirror_) mirror_->Present();
}

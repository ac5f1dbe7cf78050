#pragma once

#include <vector>

#include "KScreenSurface.h"

class TZDisplayWindow;

// The display window's surface with one more screen beside it: everything
// the engine copies to the surface is copied to the mirror as well, turned
// back to the layout's own orientation when the window turns the layout
// (the mirror shows all screens of the logical area, unrotated, at the
// window's size). Without a mirror it only passes calls on. Used on the
// engine's thread only.
class KMirroredSurface : public KScreenSurface {
  public:
    explicit KMirroredSurface(KScreenSurface& primary) : primary_(primary) {}

    // The mirror gets the logical size now; its pixels come with the next
    // drawing (a full redraw gives it all). Null ends the mirroring. The
    // window's rotation is read at every call.
    void SetMirror(KScreenSurface* mirror, const TZDisplayWindow* window);

    void Move(const KRect& rect) override;
    void SetTopmost(bool on) override { primary_.SetTopmost(on); }
    void SetCoversMainMonitor(bool on) override { primary_.SetCoversMainMonitor(on); }
    KSize ClientSize() const override { return primary_.ClientSize(); }
    void CopyBand(const KRect& physical, const uint32_t* pixels) override;
    bool CopyRegion(const KRect& physical, int32_t dx, int32_t dy) override;
    void Present() override;

  private:
    // Resizes the mirror when the logical size or the rotation changed.
    void FollowSize();
    int32_t Rotation() const;
    // The logical rectangle shown at the physical one.
    KRect ToLogical(const KRect& physical, int32_t rotation) const;

    KScreenSurface& primary_;
    KScreenSurface* mirror_ = nullptr;
    const TZDisplayWindow* window_ = nullptr;
    KSize mirrorSize_;
    int32_t mirrorRotation_ = 0;
    // A band turned back, reused from band to band.
    std::vector<uint32_t> turned_;
};

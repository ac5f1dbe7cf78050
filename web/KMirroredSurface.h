#pragma once

#include "KScreenSurface.h"

// The display window's surface with one more screen beside it: everything
// the engine copies to the surface is copied to the mirror as well, which is
// kept at the surface's client size. Without a mirror it only passes calls
// on. Used on the engine's thread only.
class KMirroredSurface : public KScreenSurface {
  public:
    explicit KMirroredSurface(KScreenSurface& primary) : primary_(primary) {}

    // The mirror gets the surface's size now; its pixels come with the next
    // drawing (a full redraw gives it all). Null ends the mirroring.
    void SetMirror(KScreenSurface* mirror);

    void Move(const KRect& rect) override;
    void SetTopmost(bool on) override { primary_.SetTopmost(on); }
    void SetCoversMainMonitor(bool on) override { primary_.SetCoversMainMonitor(on); }
    KSize ClientSize() const override { return primary_.ClientSize(); }
    void CopyBand(const KRect& physical, const uint32_t* pixels) override;
    bool CopyRegion(const KRect& physical, int32_t dx, int32_t dy) override;
    void Present() override;

  private:
    // Resizes the mirror when the surface's client size changed.
    void FollowSize();

    KScreenSurface& primary_;
    KScreenSurface* mirror_ = nullptr;
    KSize mirrorSize_;
};

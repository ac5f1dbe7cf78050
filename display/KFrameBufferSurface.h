#pragma once

#include <string>
#include <vector>

#include "KScreenSurface.h"

// A window that exists only in memory: the pixels the engine composes, for
// tests, benchmarks and the headless renderer.
class KFrameBufferSurface : public KScreenSurface {
  public:
    // Sides above this are cut (two 4K-wide screens and a margin).
    static constexpr int32_t kMaxSide = 16384;

    void Move(const KRect& rect) override;
    void SetTopmost(bool on) override { topmost_ = on; }
    KSize ClientSize() const override { return size_; }
    void CopyBand(const KRect& physical, const uint32_t* pixels) override;
    // False, moving nothing, when rect reaches outside the client area.
    bool RegionCopy(const KRect& rect, int32_t dx, int32_t dy) override;

    const KRect& Placement() const { return placement_; }
    bool IsTopmost() const { return topmost_; }
    uint32_t Pixel(int32_t x, int32_t y) const { return pixels_[Index(x, y)]; }
    const std::vector<uint32_t>& Pixels() const { return pixels_; }
    // Writes the client area as an RGB PNG; false when it cannot be written.
    bool WritePng(const std::string& path) const;

  private:
    size_t Index(int32_t x, int32_t y) const { return static_cast<size_t>(y) * size_.width + x; }

    KRect placement_;
    KSize size_;
    bool topmost_ = false;
    std::vector<uint32_t> pixels_;
};

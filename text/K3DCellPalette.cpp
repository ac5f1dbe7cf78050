#include "K3DCellPalette.h"

#include <algorithm>

#include "K3DFontInfo.h"
#include "KColorTable.h"
#include "KRValues.h"

namespace {

int Red(uint32_t rgb) {
    return static_cast<int>(rgb >> 16 & 0xFF);
}
int Green(uint32_t rgb) {
    return static_cast<int>(rgb >> 8 & 0xFF);
}
int Blue(uint32_t rgb) {
    return static_cast<int>(rgb & 0xFF);
}
int Sum(uint32_t rgb) {
    return Red(rgb) + Green(rgb) + Blue(rgb);
}
bool IsGrey(uint32_t rgb) {
    return Red(rgb) == Green(rgb) && Green(rgb) == Blue(rgb);
}
uint32_t Pack(int r, int g, int b) {
    return static_cast<uint32_t>(r) << 16 | static_cast<uint32_t>(g) << 8 |
           static_cast<uint32_t>(b);
}

// The face at coverage i, faded towards white.
uint32_t TowardsWhite(uint32_t face, int i) {
    return Pack(255 - i * (255 - Red(face)) / 255, 255 - i * (255 - Green(face)) / 255,
                255 - i * (255 - Blue(face)) / 255);
}

// The face at coverage i, faded towards black.
uint32_t TowardsBlack(uint32_t face, int i) {
    return Pack(i * Red(face) / 255, i * Green(face) / 255, i * Blue(face) / 255);
}

}  // namespace

void K3DCellPalette::SetThreshold(const KRInt* enable) {
    int v = 75;
    blendAny = true;
    if (enable) {
        v = enable->value;
        blendAny = v < 0;
        // The magnitude of INT_MIN is not representable; anything that large
        // is full anti-aliasing anyway.
        v = v < 0 ? (v < -100 ? 100 : -v) : std::min(v, 100);
    }
    threshold = std::clamp(255 - v * 255 / 100, 1, 255);
}

void K3DCellPalette::Build(const K3DFontInfo& info, const KColorTable& colors, const KRInt* enable,
                           const KRInt* bgLight) {
    SetThreshold(enable);
    border = colors.Pixel(info.border);
    shadow = colors.Pixel(info.shadow);
    back = colors.Pixel(info.back);
    if (colors.IsTransparent(info.face)) {
        std::fill(ramp, ramp + 256, kTransparentPixel);
        return;
    }
    const uint32_t face = colors.Rgb(info.face);
    uint32_t blend = colors.Rgb(info.border);
    if (colors.IsTransparent(info.border)) {
        const int g = bgLight ? bgLight->value : 0;
        const bool dark = Red(face) < g && Green(face) < g && Blue(face) < g;
        blend = g < 0 ? face : (dark ? 0xFFFFFF : 0x000000);
    }
    BuildRamp(face, blend);
}

void K3DCellPalette::BuildRamp(uint32_t face, uint32_t blend) {
    const int sf = Sum(face), sd = Sum(blend);
    std::fill(ramp, ramp + 256, face);
    if (sd == sf || (!blendAny && !IsGrey(blend))) return;
    const bool lighter = sf < sd;
    const bool full = lighter ? sd == 765 : sd == 0;
    // Below the cut the blend would pass the blend colour's brightness, so the
    // ramp holds the last blended value there.
    int cut = threshold - 1;
    if (!full) {
        cut = lighter ? (195075 - sd * 255) / (765 - sf) : sd * 255 / sf;
        cut = std::max(cut, threshold - 1);
    }
    uint32_t last = face;
    for (int i = 254; i >= threshold; --i) {
        if (i > cut) last = lighter ? TowardsWhite(face, i) : TowardsBlack(face, i);
        ramp[i] = last;
    }
}

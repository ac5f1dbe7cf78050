#pragma once

#include <cstdint>

class KColorTable;
class K3DFontInfo;
class KRInt;

// What the ink of a coverage map becomes in a glyph cell: the threshold T
// (coverage ≥ T is ink), the face ramp by coverage, and the border, shadow
// and back pixels.
//
// T comes from the anti-alias setting v: 255 - |v|×255/100 clamped to 1..255,
// 64 when the setting is missing. A negative or missing setting lets the face
// blend towards any colour; otherwise it blends only towards grey. The face
// blends towards the border colour, or, with a transparent border, towards
// black or white as the face is lighter or darker than the BGLight setting.
struct K3DCellPalette {
    // The palette a text info draws with, from the settings' current values
    // (null when missing).
    void Build(const K3DFontInfo& info, const KColorTable& colors, const KRInt* enable,
               const KRInt* bgLight);
    // Threshold and blend permission alone.
    void SetThreshold(const KRInt* enable);

    int threshold = 64;
    bool blendAny = true;
    uint32_t ramp[256] = {};
    uint32_t border = 0;
    uint32_t shadow = 0;
    uint32_t back = 0;

  private:
    void BuildRamp(uint32_t faceRgb, uint32_t blendRgb);
};

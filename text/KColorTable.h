#pragma once

#include <cstdint>

#include "KString.h"

class KRegistry;
class KStream;

// A colour value: a direct colour (bit 31 set, red, green and blue in bits
// 16-23, 8-15 and 0-7) or, with bit 31 clear, an index into the colour table.
// Index 0 is Background: transparent wherever a colour becomes a pixel.
using KColor = uint32_t;

enum : KColor {
    kColorBackground = 0,
    kColorWhite = 1,
    kColorLightGray = 2,
    kColorDarkGray = 3,
    kColorBlack = 4,
    kColorRed = 5,
    kColorGreen = 6,
    kColorBlue = 7,
    kColorCyan = 8,
    kColorMagenta = 9,
    kColorYellow = 10,
};

constexpr KColor kColorDirect = 0x80000000;
// The pixel value that stands for "not drawn" in every glyph and bitmap buffer.
constexpr uint32_t kTransparentPixel = 0xFF000000;

constexpr KColor KColorRGB(uint32_t r, uint32_t g, uint32_t b) {
    return (r & 0xFF) << 16 | (g & 0xFF) << 8 | (b & 0xFF) | kColorDirect;
}

// The colour record of layout files and font infos: tag 0x0001000A, then the
// value. Reading also takes the older tag 0x00030006; any other raises
// KXPersistent (3009).
void KWriteColor(KStream& stream, KColor c);
KColor KReadColor(KStream& stream);

// The eleven table colours, each replaceable by the settings Display\Colors\0
// to 10 ("R,G,B", each component that parses as 0-255 replacing its own).
// Pixels are 0x00RRGGBB. An index beyond the table is taken as Background, so
// a damaged layout file draws nothing rather than reading past the table.
class KColorTable {
  public:
    static constexpr int kCount = 11;
    // The table's key names under Strings\Colors, index order.
    static const char16_t* const kNames[kCount];

    KColorTable();
    // Applies the Display\Colors overrides present in the settings.
    void Load(KRegistry& settings);

    bool IsTransparent(KColor c) const { return !(c & kColorDirect) && (c == 0 || c >= kCount); }
    // 0x00RRGGBB of the colour; 0 for a transparent one.
    uint32_t Rgb(KColor c) const;
    // The colour as a pixel: kTransparentPixel for Background.
    uint32_t Pixel(KColor c) const { return IsTransparent(c) ? kTransparentPixel : Rgb(c); }
    // Each component c becomes c - c*k/8; Background stays Background.
    KColor Darkened(KColor c, int eighths) const;

    // The display name of index i: the i-th child of Strings\Colors, empty
    // when there is none.
    static void DisplayName(KRegistry& settings, int index, KString& out);

  private:
    uint32_t rgb_[kCount];
};

#include "K3DCellPainter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr uint32_t kBack = 0x0000FF, kBorder = 0x000001, kShadow = 0x000002, kFace = 0xFFFFFF;

K3DCellPalette Colors(uint32_t face = kFace) {
    K3DCellPalette p;
    p.threshold = 64;
    for (uint32_t& entry : p.ramp) entry = face;
    p.border = kBorder;
    p.shadow = kShadow;
    p.back = kBack;
    return p;
}

// The cell as rows of letters: F face, B border, S shadow, . back, ? other.
std::vector<std::string> Picture(const std::vector<uint32_t>& cell, int width) {
    std::vector<std::string> rows;
    for (size_t at = 0; at < cell.size(); at += width) {
        std::string row;
        for (int x = 0; x < width; ++x) {
            const uint32_t p = cell[at + x];
            row += p == kFace     ? 'F'
                   : p == kBorder ? 'B'
                   : p == kShadow ? 'S'
                   : p == kBack   ? '.'
                                  : '?';
        }
        rows.push_back(row);
    }
    return rows;
}

std::vector<std::string> Paint(const std::vector<uint8_t>& coverage, int w, int e, int b, int h,
                               const K3DCellPalette& palette) {
    const int cw = 2 * b + w + h, s = e + 2 * b + h;
    std::vector<uint32_t> cell(static_cast<size_t>(cw) * s, 0xDEAD);
    K3DCellPainter{coverage.data(), w, e, b, h}.Paint(palette, cell.data(), cw, s);
    return Picture(cell, cw);
}

TEST(K3DCellPainter, BorderThenShadowDownAndRight) {
    // One ink pixel and one faint pixel below the threshold.
    const std::vector<uint8_t> coverage = {255, 63};
    const std::vector<std::string> expected = {
        "BBB...",  //
        "BFBS..",  //
        "BBBSS.",  //
        ".SSSS.",  //
        "..SSS.",
    };
    EXPECT_EQ(Paint(coverage, 2, 1, 1, 2, Colors()), expected);
}

TEST(K3DCellPainter, NoBorderLeavesOnlyFaceAndShadow) {
    const std::vector<uint8_t> coverage = {255, 0, 255};
    const std::vector<std::string> expected = {
        "F.F..",  //
        ".S.S.",  //
        "..S.S",
    };
    EXPECT_EQ(Paint(coverage, 3, 1, 0, 2, Colors()), expected);
}

TEST(K3DCellPainter, InkNeighboursGetNoBorderAndRampFollowsCoverage) {
    // Two ink pixels side by side: no border between them; the weaker one
    // takes its own ramp entry.
    K3DCellPalette palette = Colors();
    palette.ramp[100] = 0x646464;
    const std::vector<std::string> picture = Paint({255, 100}, 2, 1, 1, 0, palette);
    EXPECT_EQ(picture[0], "BBBB");
    EXPECT_EQ(picture[1], "BF?B");
    EXPECT_EQ(picture[2], "BBBB");
}

TEST(K3DCellPainter, HollowTextKeepsBorderAndShadow) {
    const std::vector<std::string> picture =
        Paint({255}, 1, 1, 1, 1, Colors(0xFF000000));  // transparent face ramp
    const std::vector<std::string> expected = {
        "BBB.",  //
        "B?BS",  //
        "BBBS",  //
        ".SSS",
    };
    EXPECT_EQ(picture, expected);
}

}  // namespace

#include "TWebBoard.h"

#include <gtest/gtest.h>

namespace {

using std::chrono::steady_clock;

// A whole-width band where only a few pixels differ from the board is owed
// to a viewer as the box around those pixels, with the band's pixels in it.
TEST(WebBoard, ABandMarksOnlyThePixelsThatDiffer) {
    TWebBoard board;
    board.Move({0, 0, 99, 49});
    TWebBoard::Viewer* viewer = board.Join();
    TWebBoard::Change change;
    ASSERT_TRUE(board.Take(viewer, steady_clock::now(), change));
    EXPECT_EQ(change.rect, (KRect{0, 0, 99, 49}));

    std::vector<uint32_t> band(100 * 10, 0);
    band[2 * 100 + 30] = 0xFF0000;  // (30, 12)
    band[7 * 100 + 41] = 0x00FF00;  // (41, 17)
    board.CopyBand({0, 10, 99, 19}, band.data());
    ASSERT_TRUE(board.Take(viewer, steady_clock::now(), change));
    EXPECT_EQ(change.rect, (KRect{30, 12, 41, 17}));
    ASSERT_EQ(change.pixels.size(), 12u * 6u);
    EXPECT_EQ(change.pixels[0], 0xFF0000u);
    EXPECT_EQ(change.pixels[5 * 12 + 11], 0x00FF00u);
    const uint64_t version = change.version;

    // The same band again changes no pixel, so the board's version stays.
    board.CopyBand({0, 10, 99, 19}, band.data());
    EXPECT_EQ(board.Pixels()[17 * 100 + 41], 0x00FF00u);
    board.Leave(viewer);
    TWebBoard::Viewer* late = board.Join();
    ASSERT_TRUE(board.Take(late, steady_clock::now(), change));
    EXPECT_EQ(change.version, version);
    board.Leave(late);
}

}  // namespace

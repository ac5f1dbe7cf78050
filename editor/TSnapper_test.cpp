// Snapping a dragged rectangle to other objects, the layout and the grid.

#include "TSnapper.h"

#include <gtest/gtest.h>

namespace {

bool SameRect(const KRect& a, const KRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(TSnapper, AMoveSnapsEachAxisToTheNearestLineWithinReachAndShowsIt) {
    TSnapper snapper({640, 360}, {3, 3}, 4);
    snapper.AddFixed({100, 100, 199, 149});  // centre (149, 124)
    // The left edge is 2 from the object's right edge (after column 199); no
    // line within reach vertically, so the top falls on the grid.
    const KRect moved = snapper.Move({202, 50, 251, 69});
    EXPECT_TRUE(SameRect(moved, {200, 51, 249, 70}));
    ASSERT_EQ(snapper.Guides().size(), 1u);
    EXPECT_TRUE(snapper.Guides()[0].vertical);
    EXPECT_EQ(snapper.Guides()[0].at, 200);
    // Centres meet centres; the layout's edges hold too.
    const KRect centred = snapper.Move({126, 2, 175, 21});  // centre x 150
    EXPECT_EQ(centred.left, 125);
    EXPECT_EQ(centred.top, 0);
    EXPECT_EQ(snapper.Guides().size(), 2u);
}

TEST(TSnapper, OutOfReachOnlyTheGridHolds) {
    TSnapper snapper({640, 360}, {5, 4}, 2);
    snapper.AddFixed({100, 100, 199, 149});
    const KRect moved = snapper.Move({307, 206, 356, 225});
    EXPECT_TRUE(SameRect(moved, {305, 208, 354, 227}));
    EXPECT_TRUE(snapper.Guides().empty());
    TSnapper free({640, 360}, {0, 0}, 0);
    EXPECT_TRUE(SameRect(free.Move({307, 206, 356, 225}), {307, 206, 356, 225}));
}

TEST(TSnapper, AResizeMovesOnlyTheGrippedEdges) {
    TSnapper snapper({640, 360}, {10, 10}, 3);
    snapper.AddFixed({300, 0, 349, 49});
    // The right edge comes to touch the object; the bottom edge, after row
    // 80, falls on the grid line 80; the top stays.
    const KRect sized = snapper.Resize({50, 33, 298, 80}, 4 | 8);
    EXPECT_TRUE(SameRect(sized, {50, 33, 299, 79}));
    ASSERT_EQ(snapper.Guides().size(), 1u);
    EXPECT_EQ(snapper.Guides()[0].at, 300);
}

}  // namespace

#include "field.h"
#include "rules/rules.h"

#include <gtest/gtest.h>

using namespace field;

TEST(Shift, OneColumnAtATimeUntilTheWallsTheFloorOrABlock) {
    freshgame();
    setup(".@0@....../..@.......", 1, 6, 0);
    ingamev.lastrotate = 1;
    EXPECT_FALSE(left());
    EXPECT_EQ(ingamev.lastrotate, 0);
    ingamev.lastrotate = 1;
    EXPECT_TRUE(left());
    EXPECT_EQ(ingamev.lastrotate, 1);
    for (int n = 0; n < 7; n++)
        EXPECT_FALSE(right());
    EXPECT_TRUE(right());
    harddrop();
    ingamev.board[0][2] = 7; // beside the stem
    EXPECT_TRUE(left());
    EXPECT_TRUE(drop(true));
    EXPECT_EQ(ingamev.onground, 0);
    EXPECT_TRUE(drop(false)); // one row below row 0 is row 65535
    EXPECT_EQ(ingamev.onground, 1);
    EXPECT_EQ(cells(), draw(".......@@@/........@.", 1, true));
    EXPECT_EQ(ingamev.pivotx, 1);
    EXPECT_EQ(ingamev.pivoty, 1);
    EXPECT_EQ(ingamev.score, 0u);
    EXPECT_TRUE(headless::sounds().empty());
}

TEST(HardDrop, FallsWhereTheGhostShowsUnlessDealtOntoBlocks) {
    freshgame();
    setup(".@0@....../..@......./........../........../........../...##.....", 15, 6, 0);
    ingamev.board[15][7] = 2; // dealt onto a block: no move, no points, the ghost above it
    harddrop();
    ghostupdate();
    EXPECT_EQ(ingamev.pivoty, 15);
    EXPECT_EQ(ingamev.score, 0u);
    for (int i = 0; i < 4; i++)
        EXPECT_EQ(ingamev.ghosty[i], ingamev.piecey[i] + 1) << i;
    ingamev.board[15][7] = 0;
    ingamev.lastrotate = 1;
    ghostupdate();
    harddrop();
    // The stem slips down beside the blocks; the right wing lands on them after four rows.
    EXPECT_EQ(cells(), draw(".@0@....../..@.......", 11, true));
    for (int i = 0; i < 4; i++)
        EXPECT_EQ(ingamev.ghosty[i], ingamev.piecey[i]) << i;
    EXPECT_EQ(ingamev.pivoty, 11);
    EXPECT_EQ(ingamev.score, 8u);
    EXPECT_EQ(ingamev.lastrotate, 0);
    // Resting now: no rows, no points, and a turn made in place still counts.
    ingamev.lastrotate = 1;
    harddrop();
    EXPECT_EQ(ingamev.score, 8u);
    EXPECT_EQ(ingamev.lastrotate, 1);
    ingamev.active = 0;
    ghostupdate();
    EXPECT_EQ(std::vector(ingamev.ghosty, ingamev.ghosty + 4), std::vector<std::uint16_t>(4, 255));
}

#include "field.h"
#include "rules/rules.h"

#include <gtest/gtest.h>

using namespace field;

TEST(Shift, OneColumnAtATimeUntilTheWallOrABlock) {
    freshgame();
    setup(".@0@....../..@.......", 1, 6);
    ingamev.lastrotate = 1;
    EXPECT_FALSE(left());
    EXPECT_EQ(ingamev.lastrotate, 0);
    EXPECT_TRUE(left());
    EXPECT_EQ(show(1, 0), "@@@......./.@........");
    for (int n = 0; n < 7; n++)
        EXPECT_FALSE(right());
    EXPECT_TRUE(right());
    EXPECT_EQ(show(1, 0), ".......@@@/........@.");
    EXPECT_EQ(ingamev.pivotx, 1);
    ingamev.board[0][2] = 1; // beside the stem
    EXPECT_TRUE(left());
    EXPECT_EQ(show(1, 0), ".......@@@/.......#@.");
    EXPECT_TRUE(headless::sounds().empty());
}

TEST(Drop, OneRowAtATimeDownToRowZero) {
    freshgame();
    setup("..0@@@..../..........", 1, 3);
    ingamev.onground = ingamev.lastrotate = 1;
    EXPECT_TRUE(drop(true));
    EXPECT_EQ(ingamev.onground, 0);
    EXPECT_FALSE(drop(false));
    EXPECT_EQ(ingamev.lastrotate, 0);
    ingamev.lastrotate = 1;
    EXPECT_TRUE(drop(false));
    EXPECT_EQ(show(1, 0), "........../..@@@@....");
    EXPECT_EQ(ingamev.pivoty, 0);
    EXPECT_EQ(ingamev.onground, 1);
    EXPECT_EQ(ingamev.lastrotate, 1);
}

TEST(HardDrop, FallsUntilBlockedAndScoresTwoPerRow) {
    freshgame();
    setup(".@0@....../..@......./........../........../........../...##.....", 15, 6);
    ingamev.lastrotate = 1;
    ingamev.score = 7;
    harddrop();
    // The stem slips down beside the blocks; the right wing lands on them after four rows.
    EXPECT_EQ(show(12, 10), "........../.@@@....../..@##.....");
    EXPECT_EQ(ingamev.pivoty, 11);
    EXPECT_EQ(ingamev.score, 15u);
    EXPECT_EQ(ingamev.lastrotate, 0);
    // Resting now: no rows, no points, and a turn made in place still counts.
    ingamev.lastrotate = 1;
    harddrop();
    EXPECT_EQ(ingamev.pivoty, 11);
    EXPECT_EQ(ingamev.score, 15u);
    EXPECT_EQ(ingamev.lastrotate, 1);
}

TEST(HardDrop, PieceDealtOntoBlocksStaysWhereItIsUntilFreed) {
    freshgame();
    deal(6, 5, 24);
    ingamev.board[25][5] = 3; // under the T's tip; every row below the T is free
    ingamev.score = 100;
    harddrop();
    EXPECT_EQ(cells(), (cellset{{4, 24}, {5, 24}, {5, 25}, {6, 24}}));
    EXPECT_EQ(ingamev.pivoty, 24);
    EXPECT_EQ(ingamev.score, 100u);
    // Once free, all the way down to row 0.
    ingamev.board[25][5] = 0;
    harddrop();
    EXPECT_EQ(cells(), (cellset{{4, 0}, {5, 0}, {5, 1}, {6, 0}}));
    EXPECT_EQ(ingamev.score, 148u);
}

TEST(Ghost, LowestPlaceStraightDownOnATallStack) {
    freshgame();
    for (int y = 0; y < 22; y++)
        for (int x = 0; x < 10; x++)
            ingamev.board[y][x] = static_cast<std::uint8_t>(1 + (x + y) % 7);
    deal(0, 5, 24); // an S in rows 24 and 25
    ghostupdate();
    for (int i = 0; i < 4; i++)
        EXPECT_EQ(ingamev.ghosty[i], ingamev.piecey[i] - 2) << i;
    // Dealt onto a block, the ghost shows one row above the piece.
    ingamev.board[24][5] = 1;
    ghostupdate();
    for (int i = 0; i < 4; i++)
        EXPECT_EQ(ingamev.ghosty[i], ingamev.piecey[i] + 1) << i;
    ingamev.active = 0;
    ghostupdate();
    for (int i = 0; i < 4; i++)
        EXPECT_EQ(ingamev.ghosty[i], 255);
}

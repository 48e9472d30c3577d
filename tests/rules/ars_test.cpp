#include "field.h"
#include "rules/rules.h"

#include <gtest/gtest.h>

using namespace field;

namespace {

// Where the four cells stand around the pivot, (x, y) pairs, by piece and rotation 0 to 3.
const int places[7][4][8] = {
    {{0, 0, -1, 0, 1, -1, 0, -1},
     {1, 1, 1, 0, 0, 0, 0, -1},
     {0, 0, -1, 0, 1, -1, 0, -1},
     {1, 1, 1, 0, 0, 0, 0, -1}},
    {{1, 0, 0, 0, 0, -1, -1, -1},
     {-1, 1, 0, 0, -1, 0, 0, -1},
     {1, 0, 0, 0, 0, -1, -1, -1},
     {-1, 1, 0, 0, -1, 0, 0, -1}},
    {{0, 0, -1, 0, 0, -1, -1, -1},
     {0, 0, -1, 0, 0, -1, -1, -1},
     {0, 0, -1, 0, 0, -1, -1, -1},
     {0, 0, -1, 0, 0, -1, -1, -1}},
    {{1, -1, 0, -1, -1, -1, -2, -1},
     {-1, 1, -1, 0, -1, -1, -1, -2},
     {1, -1, 0, -1, -1, -1, -2, -1},
     {-1, 1, -1, 0, -1, -1, -1, -2}},
    {{-1, 0, 1, -1, 0, -1, -1, -1},
     {0, 1, 0, 0, 0, -1, -1, -1},
     {1, 0, 0, 0, -1, 0, 1, -1},
     {1, 1, 0, 1, 0, 0, 0, -1}},
    {{1, 0, 1, -1, 0, -1, -1, -1},
     {0, 1, -1, 1, 0, 0, 0, -1},
     {1, 0, 0, 0, -1, 0, -1, -1},
     {0, 1, 0, 0, 1, -1, 0, -1}},
    {{0, 0, 1, -1, 0, -1, -1, -1},
     {0, 1, 0, 0, -1, 0, 0, -1},
     {1, 0, 0, 0, -1, 0, 0, -1},
     {0, 1, 1, 0, 0, 0, 0, -1}},
};

cellset placed(int piece, int r) {
    cellset out;
    for (int i = 0; i < 8; i += 2)
        out.emplace_back(ingamev.pivotx + places[piece][r][i],
                         ingamev.pivoty + places[piece][r][i + 1]);
    std::sort(out.begin(), out.end());
    return out;
}

void arsgame(int piece, int px, int py) {
    freshgame(true);
    deal(piece, px, py);
}

} // namespace

TEST(ArsTurn, EveryPieceInEveryRotationStandsInItsPlaces) {
    for (int piece = 0; piece < 7; piece++) {
        for (bool clockwise : {true, false}) {
            arsgame(piece, 5, 12);
            ingamev.justspawned = 1;
            EXPECT_EQ(cells(), placed(piece, 2)) << piece;
            for (int n = 1; n <= 5; n++) {
                rotateARS(clockwise);
                ingamev.justspawned = 0;
                const int r = (2 + (clockwise ? n : 4 - n)) % 4;
                ASSERT_EQ(ingamev.rotation, r);
                EXPECT_EQ(cells(), placed(piece, r)) << piece << " rotation " << r;
            }
            rotateARS(!clockwise);
            EXPECT_EQ(cells(), placed(piece, 2)) << piece;
            EXPECT_EQ(ingamev.pivotx, 5);
            EXPECT_EQ(ingamev.pivoty, 12);
            heard want(6, "rotate.wav");
            want[0] = "initialrotate.wav";
            EXPECT_EQ(headless::sounds(), want);
        }
    }
}

TEST(ArsKicks, UprightTAgainstEitherWallTurnsFlat) {
    for (bool clockwise : {true, false}) {
        // Long side in column 9, odd cell to its right: one column to the right.
        arsgame(6, 5, 10);
        rotateARS(false);
        for (int n = 0; n < 4; n++)
            left();
        EXPECT_EQ(show(11, 9), "@........./@@......../@.........");
        rotateARS(clockwise);
        EXPECT_EQ(show(11, 9), clockwise ? "........../@@@......./.@........"
                                         : "........../.@......../@@@.......");
        // Long side in column 0, odd cell to its left: the wall blocks the first two tests.
        arsgame(6, 5, 10);
        rotateARS(true);
        for (int n = 0; n < 5; n++)
            right();
        EXPECT_EQ(show(11, 9), ".........@/........@@/.........@");
        rotateARS(clockwise);
        EXPECT_EQ(show(11, 9), clockwise ? "........../........@./.......@@@"
                                         : "........../.......@@@/........@.");
    }
}

TEST(ArsKicks, OnlyAnITurningFlatGetsTheFifthTest) {
    // Upright in column 9, turning flat: only two columns to the right is free.
    arsgame(3, 5, 20);
    rotateARS(true);
    for (int n = 0; n < 5; n++)
        left();
    EXPECT_EQ(show(21, 18), "@........./@........./@........./@.........");
    rotateARS(true);
    EXPECT_EQ(show(20, 19), "........../@@@@......");
    // Flat, turning upright into column 4, rows 11 to 8: one column either side and one row up
    // are blocked; two columns to the right is free but not tried.
    arsgame(3, 5, 10);
    setup("....###...", 11, 3);
    rotateARS(true);
    EXPECT_EQ(ingamev.rotation, 2);
    EXPECT_EQ(show(11, 8), "....###.../........../...@@@@.../..........");
    EXPECT_EQ(headless::sounds(), heard{"rotfail.wav"});
}

TEST(ArsKicks, BlockedAllRoundTheTRisesOneRowWithoutRefill) {
    // Flat side down, wedged between two blocks level with its tip.
    arsgame(6, 5, 10);
    rotateARS(true);
    rotateARS(true);
    ingamev.resetlimit = 10;
    ingamev.locktimer = 7;
    setup("...#.#....", 10, 6);
    EXPECT_EQ(show(10, 9), "...#@#..../...@@@....");
    rotateARS(true);
    EXPECT_EQ(show(12, 9), "....@...../....@@..../...#@#..../..........");
    EXPECT_EQ(ingamev.pivoty, 11);
    EXPECT_EQ(ingamev.locktimer, 7);
    EXPECT_EQ(ingamev.lastrotate, 1);
    // Back down to the lowest row so far: still no refill; one row further: refill.
    ingamev.board[10][4] = ingamev.board[10][6] = 0;
    EXPECT_FALSE(drop(false));
    EXPECT_EQ(ingamev.locktimer, 7);
    EXPECT_FALSE(drop(false));
    EXPECT_EQ(ingamev.locktimer, 30);
}

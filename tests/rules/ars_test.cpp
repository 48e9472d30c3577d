#include "field.h"
#include "rules/rules.h"

#include <gtest/gtest.h>

using namespace field;

namespace {

// Where the four cells stand around the pivot, (x, y) pairs, rotation 0 to 3, piece by piece.
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
        out.emplace_back(5 + places[piece][r][i], 12 + places[piece][r][i + 1]);
    std::sort(out.begin(), out.end());
    return out;
}

} // namespace

TEST(ArsTurn, EveryPieceInEveryRotationStandsInItsPlaces) {
    for (int piece = 0; piece < 7; piece++) {
        for (bool clockwise : {true, false}) {
            freshgame(true);
            deal(piece, 5, 12);
            ingamev.justspawned = 1;
            // Four turns one way and one back: every place twice, ending where it started.
            for (int n = 0; n < 5; n++) {
                rotateARS(n < 4 ? clockwise : !clockwise);
                ingamev.justspawned = 0;
                const int r = ingamev.rotation;
                EXPECT_EQ(cells(), placed(piece, r)) << piece << " rotation " << r;
            }
            EXPECT_EQ(ingamev.rotation, clockwise ? 1 : 3);
            EXPECT_EQ(ingamev.pivotx, 5);
            EXPECT_EQ(ingamev.pivoty, 12);
            heard want(5, "rotate.wav");
            want[0] = "initialrotate.wav";
            EXPECT_EQ(headless::sounds(), want);
        }
    }
}

TEST(ArsKicks, InPlaceRightLeftUpAndTwoRightOnlyForAnITurningFlat) {
    const kicklist shifts = {{0, 0}, {-1, 0}, {1, 0}, {0, 1}, {-2, 0}};
    for (int piece = 0; piece < 7; piece++)
        for (int r = 0; r < 4; r++)
            for (bool cw : {true, false})
                checkorder(true, piece, r, cw, shifts, piece == 3 && r % 2 == 1 ? 5 : 4, rotateARS);
}

TEST(ArsKicks, UprightTAgainstEitherWallTurnsFlatBesideIt) {
    for (bool clockwise : {true, false}) {
        // Long side in column 9: one column to the right.
        freshgame(true);
        setup("@........./0@......../@.........", 11, 6);
        ingamev.rotation = 1;
        rotateARS(clockwise);
        EXPECT_EQ(show(11, 9), clockwise ? "........../@@@......./.@........"
                                         : "........../.@......../@@@.......");
        // Long side in column 0: the wall (column 65535) blocks the first two tests.
        freshgame(true);
        setup(".........@/........@0/.........@", 11, 6);
        ingamev.rotation = 3;
        rotateARS(clockwise);
        EXPECT_EQ(show(11, 9), clockwise ? "........../........@./.......@@@"
                                         : "........../.......@@@/........@.");
    }
}

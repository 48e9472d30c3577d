#include "field.h"
#include "rules/rules.h"

#include <gtest/gtest.h>

using namespace field;

TEST(ArsKicks, EveryTurnReachesItsPlacesThroughItsShiftsInOrder) {
    // Cells (x left, y up) around the pivot, by piece and rotation 0 to 3. The shifts: in place,
    // one column right, one left, one row up, and two columns right only for an I turning flat.
    const char* places[7][4] = {
        {"0,0 -1,0 1,-1 0,-1", "1,1 1,0 0,0 0,-1", "0,0 -1,0 1,-1 0,-1", "1,1 1,0 0,0 0,-1"},
        {"1,0 0,0 0,-1 -1,-1", "-1,1 0,0 -1,0 0,-1", "1,0 0,0 0,-1 -1,-1", "-1,1 0,0 -1,0 0,-1"},
        {"0,0 -1,0 0,-1 -1,-1", "0,0 -1,0 0,-1 -1,-1", "0,0 -1,0 0,-1 -1,-1",
         "0,0 -1,0 0,-1 -1,-1"},
        {"1,-1 0,-1 -1,-1 -2,-1", "-1,1 -1,0 -1,-1 -1,-2", "1,-1 0,-1 -1,-1 -2,-1",
         "-1,1 -1,0 -1,-1 -1,-2"},
        {"-1,0 1,-1 0,-1 -1,-1", "0,1 0,0 0,-1 -1,-1", "1,0 0,0 -1,0 1,-1", "1,1 0,1 0,0 0,-1"},
        {"1,0 1,-1 0,-1 -1,-1", "0,1 -1,1 0,0 0,-1", "1,0 0,0 -1,0 -1,-1", "0,1 0,0 1,-1 0,-1"},
        {"0,0 1,-1 0,-1 -1,-1", "0,1 0,0 -1,0 0,-1", "1,0 0,0 -1,0 0,-1", "0,1 1,0 0,0 0,-1"},
    };
    for (int piece = 0; piece < 7; piece++) {
        for (int r = 0; r < 4; r++) {
            for (bool cw : {true, false}) {
                checkorder(true, piece, r, cw, pairs("0,0 -1,0 1,0 0,1 -2,0"),
                           piece == 3 && r % 2 ? 5 : 4, rotateARS,
                           pairs(places[piece][(r + (cw ? 1 : 3)) % 4]));
            }
        }
    }
}

TEST(ArsKicks, UprightTAgainstEitherWallTurnsFlatBesideIt) {
    for (bool cw : {true, false}) {
        freshgame(true);
        setup("@........./0@......../@.........", 11, 6, 1);
        rotateARS(cw);
        EXPECT_EQ(cells(), draw(cw ? "@@@......./.@........" : ".@......../@@@.......", 10, true));
        // Column 65535 blocks the first two tests.
        freshgame(true);
        setup(".........@/........@0/.........@", 11, 6, 3);
        rotateARS(cw);
        EXPECT_EQ(cells(), draw(cw ? "........@./.......@@@" : ".......@@@/........@.", 10, true));
    }
}

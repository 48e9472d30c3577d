#include "field.h"
#include "rules/rules.h"

#include <gtest/gtest.h>

using namespace field;

namespace {

void turn(bool cw) {
    cw ? rotaterightSRS() : rotateleftSRS();
}

} // namespace

TEST(SrsKicks, EveryTurnTriesItsTestsInOrder) {
    // The kicks (x left, y up) of the clockwise turns from rotation 0 to 3, in the order tried;
    // turning back tries them with their signs reversed. Cell 0 of the I is not the middle of its
    // box, so even its first test moves it.
    const char* jlstz[4] = {"0,0 1,0 1,1 0,-2 1,-2", "0,0 -1,0 -1,-1 0,2 -1,2",
                            "0,0 -1,0 -1,1 0,-2 -1,-2", "0,0 1,0 1,-1 0,2 1,2"};
    const char* itable[4] = {"-1,0 -2,0 1,0 1,-1 -2,2", "0,-1 1,-1 -2,-1 -2,-2 1,1",
                             "1,0 2,0 -1,0 -1,1 2,-2", "0,1 -1,1 2,1 2,2 -1,-1"};
    for (int piece : {0, 1, 3, 4, 5, 6}) {
        for (int r = 0; r < 4; r++) {
            for (bool cw : {true, false}) {
                cellset kicks = pairs((piece == 3 ? itable : jlstz)[r]);
                for (auto& [x, y] : kicks)
                    x *= cw ? 1 : -1, y *= cw ? 1 : -1;
                checkorder(false, piece, cw ? r : (r + 1) % 4, cw, kicks, 5, turn);
            }
        }
    }
}

TEST(SrsTurn, IFromSpawnStandsInTheColumnRightOfCellZeroAndTurnsBack) {
    freshgame();
    deal(3, 5, 25);
    rotaterightSRS();
    EXPECT_EQ(cells(), at(".....@..../.....@..../.....@..../.....@....", 26));
    rotateleftSRS();
    EXPECT_EQ(cells(), at("...@@@@...", 25));
}

TEST(SrsTurn, RowTwentyEightBlocksAKickAsAWallDoes) {
    // Upright against the right wall at the top, blocked in place: both tests to the right meet
    // the wall, and both tests upward would put the tip in row 28.
    freshgame();
    setup("........@./.......#0@/........@.", 26, 6, 1);
    rotateleftSRS();
    EXPECT_EQ(ingamev.rotation, 1);
    EXPECT_EQ(cells(), at("........@./........0@/........@.", 26));
}

TEST(SrsTurn, OTurnsInPlaceUnlessDealtOntoBlocks) {
    freshgame();
    setup("##0@######/##@@######", 1, 2, 0);
    ingamev.justspawned = 1;
    rotaterightSRS();
    ingamev.justspawned = 0;
    rotateleftSRS();
    rotateleftSRS();
    EXPECT_EQ(cells(), at("..0@....../..@@......", 1));
    EXPECT_EQ(ingamev.rotation, 3);
    ingamev.board[0][7] = 1;
    rotaterightSRS();
    EXPECT_EQ(ingamev.rotation, 3);
    EXPECT_EQ(headless::sounds(),
              (heard{"initialrotate.wav", "rotate.wav", "rotate.wav", "rotfail.wav"}));
}

TEST(SrsTurn, TurnOffALedgeNeverFallsAndRefillsOnlyARunningTimer) {
    freshgame();
    ingamev.gravity = instant;
    setup("......@.../....@0@.../....#.....", 11, 4, 0);
    rotaterightSRS();
    EXPECT_EQ(cells(), at(".....@..../.....0..../.....@@...", 11));
    EXPECT_EQ(ingamev.resetsleft, 5);
    ingamev.locktimer = 10;
    rotateleftSRS();
    EXPECT_EQ(ingamev.locktimer, 30);
    EXPECT_EQ(ingamev.resetsleft, 4);
}

#include "field.h"
#include "rules/rules.h"

#include <gtest/gtest.h>

using namespace field;

namespace {

void turn(bool cw) {
    cw ? rotaterightSRS() : rotateleftSRS();
}

} // namespace

TEST(SrsKicks, EveryTurnTriesItsTestsInOrderAndTheOTurnsInPlace) {
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
    // The O turns in place and fails only when its own cells are taken.
    for (int r = 0; r < 4; r++)
        for (bool cw : {true, false})
            checkorder(false, 2, r, cw, {{0, 0}}, 1, turn, pairs("-1,-1 -1,0 0,-1 0,0"));
}

TEST(SrsTurn, RowTwentyEightBlocksAKickAsAWallDoes) {
    // Upright against the right wall at the top, blocked in place: both tests to the right meet
    // the wall, and both tests upward would put the tip in row 28.
    freshgame();
    setup("........@./.......#0@/........@.", 26, 6, 1);
    rotateleftSRS();
    EXPECT_EQ(ingamev.rotation, 1);
    EXPECT_EQ(cells(), draw("........@./........0@/........@.", 26, true));
}

TEST(SrsTurn, TurnOffALedgeNeverFallsAndRefillsOnlyARunningTimer) {
    freshgame();
    ingamev.gravity = instant;
    setup("......@.../....@0@.../....#.....", 11, 4, 0);
    rotaterightSRS();
    EXPECT_EQ(cells(), draw(".....@..../.....0..../.....@@...", 11, true));
    EXPECT_EQ(ingamev.resetsleft, 5);
    ingamev.locktimer = 10;
    rotateleftSRS();
    EXPECT_EQ(ingamev.locktimer, 30);
    EXPECT_EQ(ingamev.resetsleft, 4);
}

#include "field.h"
#include "rules/rules.h"

#include <gtest/gtest.h>

using namespace field;

namespace {

// Kicks (x, y), x to the left, in the order tried, for the clockwise turns from rotation 0 to 3;
// the counter-clockwise turn back tries the same kicks with their signs reversed.
const int jlstz[4][5][2] = {
    {{0, 0}, {1, 0}, {1, 1}, {0, -2}, {1, -2}},
    {{0, 0}, {-1, 0}, {-1, -1}, {0, 2}, {-1, 2}},
    {{0, 0}, {-1, 0}, {-1, 1}, {0, -2}, {-1, -2}},
    {{0, 0}, {1, 0}, {1, -1}, {0, 2}, {1, 2}},
};

// Cell 0 of the I is not the middle of its box, so even its first test moves it.
const int itable[4][5][2] = {
    {{-1, 0}, {-2, 0}, {1, 0}, {1, -1}, {-2, 2}},
    {{0, -1}, {1, -1}, {-2, -1}, {-2, -2}, {1, 1}},
    {{1, 0}, {2, 0}, {-1, 0}, {-1, 1}, {2, -2}},
    {{0, 1}, {-1, 1}, {2, 1}, {2, 2}, {-1, -1}},
};

void turn(bool clockwise) {
    clockwise ? rotaterightSRS() : rotateleftSRS();
}

} // namespace

TEST(SrsKicks, EveryTurnTriesItsTestsInOrder) {
    for (int piece : {0, 1, 3, 4, 5, 6}) {
        for (int r = 0; r < 4; r++) {
            for (bool cw : {true, false}) {
                kicklist kicks;
                for (auto& k : (piece == 3 ? itable : jlstz)[r])
                    kicks.emplace_back(cw ? k[0] : -k[0], cw ? k[1] : -k[1]);
                checkorder(false, piece, cw ? r : (r + 1) % 4, cw, kicks, 5, turn);
            }
        }
    }
}

TEST(SrsTurn, IFromSpawnTurnsIntoItsThirdColumnAndBack) {
    // One row above its old row and two below, in the column right of cell 0.
    freshgame();
    deal(3, 5, 25);
    rotaterightSRS();
    EXPECT_EQ(show(26, 23), ".....@..../.....@..../.....@..../.....@....");
    rotateleftSRS();
    EXPECT_EQ(show(26, 25), "........../...@@@@...");
}

TEST(SrsTurn, RowTwentyEightBlocksAKickLikeAWall) {
    // Upright against the right wall at the top: turning flat is blocked in place, both tests to
    // the right meet the wall, and the two tests upward would put the tip in row 28.
    freshgame();
    setup("........@./.......#0@/........@.", 26, 6);
    ingamev.rotation = 1;
    rotateleftSRS();
    EXPECT_EQ(show(27, 24), "........../........@./.......#@@/........@.");
    EXPECT_EQ(ingamev.rotation, 1);
}

TEST(SrsTurn, OTurnsInPlaceUnlessDealtOntoBlocks) {
    freshgame();
    setup("##0@######/##@@######", 1, 2);
    ingamev.justspawned = 1;
    rotaterightSRS();
    ingamev.justspawned = 0;
    rotateleftSRS();
    rotateleftSRS();
    EXPECT_EQ(show(1, 0), "##@@######/##@@######");
    EXPECT_EQ(ingamev.rotation, 3);
    ingamev.board[0][7] = 1;
    rotaterightSRS();
    EXPECT_EQ(ingamev.rotation, 3);
    EXPECT_EQ(headless::sounds(),
              (heard{"initialrotate.wav", "rotate.wav", "rotate.wav", "rotfail.wav"}));
}

TEST(SrsTurn, TurnOffALedgeDoesNotFallEvenAtTwentyG) {
    freshgame();
    ingamev.gravity = instant;
    // The L rests only on the block under its left end.
    setup("......@.../....@0@.../....#.....", 11, 4);
    rotaterightSRS();
    EXPECT_EQ(show(11, 8), ".....@..../.....@..../....#@@.../..........");
    EXPECT_EQ(ingamev.locktimer, 30);
    EXPECT_EQ(ingamev.resetsleft, 5);
    // Once the timer runs, a turn refills it.
    ingamev.locktimer = 10;
    rotateleftSRS();
    EXPECT_EQ(ingamev.locktimer, 30);
    EXPECT_EQ(ingamev.resetsleft, 4);
}

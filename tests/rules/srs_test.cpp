#include "field.h"
#include "rules/rules.h"

#include <gtest/gtest.h>

using namespace field;

namespace {

struct turn {
    int from, to;
    int kick[5][2]; // (x, y), x to the left, in the order tried
};

const turn jlstz[8] = {
    {0, 1, {{0, 0}, {1, 0}, {1, 1}, {0, -2}, {1, -2}}},
    {1, 0, {{0, 0}, {-1, 0}, {-1, -1}, {0, 2}, {-1, 2}}},
    {1, 2, {{0, 0}, {-1, 0}, {-1, -1}, {0, 2}, {-1, 2}}},
    {2, 1, {{0, 0}, {1, 0}, {1, 1}, {0, -2}, {1, -2}}},
    {2, 3, {{0, 0}, {-1, 0}, {-1, 1}, {0, -2}, {-1, -2}}},
    {3, 2, {{0, 0}, {1, 0}, {1, -1}, {0, 2}, {1, 2}}},
    {3, 0, {{0, 0}, {1, 0}, {1, -1}, {0, 2}, {1, 2}}},
    {0, 3, {{0, 0}, {-1, 0}, {-1, 1}, {0, -2}, {-1, -2}}},
};

// Cell 0 of the I is not the middle of its box, so even its first test moves it.
const turn itable[8] = {
    {0, 1, {{-1, 0}, {-2, 0}, {1, 0}, {1, -1}, {-2, 2}}},
    {1, 0, {{1, 0}, {2, 0}, {-1, 0}, {-1, 1}, {2, -2}}},
    {1, 2, {{0, -1}, {1, -1}, {-2, -1}, {-2, -2}, {1, 1}}},
    {2, 1, {{0, 1}, {-1, 1}, {2, 1}, {2, 2}, {-1, -1}}},
    {2, 3, {{1, 0}, {2, 0}, {-1, 0}, {-1, 1}, {2, -2}}},
    {3, 2, {{-1, 0}, {-2, 0}, {1, 0}, {1, -1}, {-2, 2}}},
    {3, 0, {{0, 1}, {-1, 1}, {2, 1}, {2, 2}, {-1, -1}}},
    {0, 3, {{0, -1}, {1, -1}, {-2, -1}, {-2, -2}, {1, 1}}},
};

void rotate(bool clockwise) {
    clockwise ? rotaterightSRS() : rotateleftSRS();
}

// The piece in the middle of an empty field, turned to rotation r.
void midfield(int piece, int r) {
    freshgame();
    deal(piece, 5, 12);
    for (int i = 0; i < r; i++)
        rotaterightSRS();
    headless::clearrecords();
}

cellset moved(cellset c, const int* kick) {
    for (auto& [x, y] : c)
        x += kick[0], y += kick[1];
    return c;
}

// For each test: the field is full except the cells of that test and of every later one, with
// one cell of each earlier test filled again. Only the right order lands on that test; with
// every cell full the turn fails.
void checkorder(int piece, const turn& tn) {
    const bool clockwise = tn.to == (tn.from + 1) % 4;
    midfield(piece, tn.from);
    rotate(clockwise);
    const int back[2] = {-tn.kick[0][0], -tn.kick[0][1]};
    const cellset turned = moved(cells(), back);
    for (int t = 0; t <= 5; t++) {
        midfield(piece, tn.from);
        const cellset before = cells();
        cellset want = t < 5 ? moved(turned, tn.kick[t]) : before;
        std::memset(ingamev.board, 1, sizeof ingamev.board);
        for (int u = t; u < 5; u++)
            for (auto [x, y] : moved(turned, tn.kick[u]))
                ingamev.board[y][x] = 0;
        for (int u = 0; u < t && t < 5; u++) {
            for (auto [x, y] : moved(turned, tn.kick[u])) {
                if (std::find(want.begin(), want.end(), std::pair{x, y}) == want.end()) {
                    ingamev.board[y][x] = 1;
                    break;
                }
            }
        }
        rotate(clockwise);
        std::sort(want.begin(), want.end());
        const auto where = ::testing::Message() << "piece " << piece << " turn " << tn.from << "->"
                                                << tn.to << " test " << t;
        EXPECT_EQ(cells(), want) << where;
        EXPECT_EQ(ingamev.rotation, t < 5 ? tn.to : tn.from) << where;
        EXPECT_EQ(ingamev.pivotx, ingamev.piecex[0]) << where;
        EXPECT_EQ(ingamev.pivoty, ingamev.piecey[0]) << where;
        EXPECT_EQ(headless::sounds(), heard{t < 5 ? "rotate.wav" : "rotfail.wav"}) << where;
    }
}

} // namespace

TEST(SrsKicks, EveryTurnTriesItsTestsInOrder) {
    for (int piece : {0, 1, 4, 5, 6})
        for (const turn& tn : jlstz)
            checkorder(piece, tn);
    for (const turn& tn : itable)
        checkorder(3, tn);
}

TEST(SrsTurn, IFromSpawnTurnsIntoItsThirdColumnAndBack) {
    // One row above its old row and two below, in the column right of cell 0.
    freshgame();
    deal(3, 5, 25);
    rotaterightSRS();
    EXPECT_EQ(show(26, 23), ".....@..../.....@..../.....@..../.....@....");
    rotateleftSRS();
    EXPECT_EQ(show(26, 25), "........../...@@@@...");
    EXPECT_EQ(ingamev.rotation, 0);
}

TEST(SrsTurn, RowTwentyEightBlocksAKickAndAFailedTurnChangesNothing) {
    // Upright against the right wall at the top: turning flat is blocked in place, both tests to
    // the right meet the wall, and the two tests upward would put the tip in row 28.
    freshgame();
    setup("........@./.......#0@/........@.", 26, 6);
    ingamev.rotation = 1;
    for (std::uint8_t flag : {1, 0}) {
        ingamev.lastrotate = flag;
        ingamev.locktimer = 3;
        rotateleftSRS();
        EXPECT_EQ(show(27, 24), "........../........@./.......#@@/........@.");
        EXPECT_EQ(ingamev.rotation, 1);
        EXPECT_EQ(ingamev.lastrotate, flag);
        EXPECT_EQ(ingamev.locktimer, 3);
    }
    EXPECT_EQ(headless::sounds(), (heard{"rotfail.wav", "rotfail.wav"}));
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
    EXPECT_EQ(ingamev.lastrotate, 1);
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

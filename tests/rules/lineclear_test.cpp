#include "../shell/newgame.h"
#include "rules/rules.h"

#include <gtest/gtest.h>

namespace {

// n full rows under a stray cell, so the board never empties, and the piece's centre at column 4
// of row 0. A spin is a T rotated into place there: both lower corners are off the field and one
// upper corner is taken.
void lockon(unsigned n, bool spin) {
    std::memset(ingamev.board, 0, sizeof ingamev.board);
    std::memset(ingamev.board, 1, n * boardcols);
    ingamev.board[n][0] = ingamev.board[1][3] = 1;
    ingamev.current = spin ? 6 : 3;
    ingamev.lastrotate = 1;
    ingamev.piecex[0] = 4;
    headless::clearrecords();
    linecleartest(0);
}

TEST(LineClear, EveryKindOfClearHasItsLabelSoundsAndPoints) {
    struct kind {
        unsigned n;
        bool spin;
        std::uint32_t b2b;
        int label;
        std::string sounds;
        std::uint64_t points;
    };
    const kind kinds[] = {
        {0, false, 1, 7, "", 0},
        {0, true, 1, 7, "combo0.wav tspin0.wav", 0},
        {1, false, 0, 2, "combo0.wav erase1.wav", 1},
        {2, false, 0, 3, "combo0.wav erase2.wav", 3},
        {3, false, 1, 4, "combo0.wav b2b_end.wav erase3.wav", 5},
        {4, false, 0, 5, "combo0.wav b2b_start.wav erase4.wav", 8},
        {4, false, 1, 9, "combo0.wav b2b_continue.wav erase4.wav", 12},
        {1, true, 0, 6, "combo0.wav b2b_start.wav tspin1.wav", 4},
        {2, true, 0, 7, "combo0.wav b2b_start.wav tspin2.wav", 8},
        {3, true, 0, 8, "combo0.wav b2b_start.wav tspin3.wav", 12},
        {1, true, 1, 10, "combo0.wav b2b_continue.wav tspin1.wav", 6},
        {2, true, 1, 11, "combo0.wav b2b_continue.wav tspin2.wav", 12},
        {3, true, 1, 12, "combo0.wav b2b_continue.wav tspin3.wav", 18},
    };
    for (auto& k : kinds) {
        SCOPED_TRACE(testing::Message() << k.n << " lines, spin " << k.spin << ", b2b " << k.b2b);
        newgame(5);
        ingamev.label = 7;
        ingamev.b2b = k.b2b;
        lockon(k.n, k.spin);
        EXPECT_EQ(ingamev.label, k.label);
        EXPECT_EQ(heard(), k.sounds);
        EXPECT_EQ(ingamev.score, k.points * 100);
        EXPECT_EQ(ingamev.lines + ingamev.cleared, 2 * k.n);
        EXPECT_EQ(ingamev.labeltimer, k.n ? 120 : 0);
        EXPECT_EQ(ingamev.b2b, k.n == 4 || (k.spin && k.n) ? k.b2b + 1 : k.n ? 0 : k.b2b);
    }
}

TEST(LineClear, TspinNeedsATRotatedLastAndThreeCorners) {
    newgame(5);
    ingamev.board[6][4] = ingamev.board[6][6] = 1;
    ingamev.current = 6;
    ingamev.piecex[0] = 5;
    for (int rotated : {1, 0}) {
        ingamev.lastrotate = rotated;
        headless::clearrecords();
        linecleartest(5);
        EXPECT_EQ(heard(), ""); // two corners, then three without a rotation
        ingamev.board[4][6] = 1;
    }
}

TEST(LineClear, QuadixTwiceIsBackToBackAndASingleEndsTheChain) {
    newgame(5);
    lockon(4, false);
    lockon(4, false);
    EXPECT_EQ(ingamev.label, 9);
    EXPECT_EQ(heard(), "combo1.wav b2b_continue.wav erase4.wav");
    lockon(1, false);
    EXPECT_EQ(heard(), "combo2.wav b2b_end.wav erase1.wav");
    EXPECT_EQ(ingamev.b2b, 0u);
    EXPECT_EQ(ingamev.score, 2200u); // 8 + 12 + a Single with the first combo bonus
}

TEST(LineClear, CombosCountClearingLocksAndEarnGrowingBonuses) {
    newgame(5);
    const std::uint64_t score[] = {100, 200, 400, 600, 900, 1200, 1600};
    for (unsigned i = 0; i < 7; i++) {
        lockon(1, false);
        EXPECT_EQ(ingamev.score, score[i]) << "lock " << i;
        EXPECT_EQ(headless::sounds()[0], "combo" + std::to_string(i) + ".wav");
        EXPECT_EQ(ingamev.labelcombo, i);
    }
    lockon(0, true); // a T-spin without lines still breaks the combo
    lockon(1, false);
    EXPECT_EQ(ingamev.combo, 0u);
}

TEST(LineClear, PerfectClearsMultipliersAndHiddenRows) {
    newgame(5);
    ingamev.level = 5;
    std::memset(ingamev.board[25], 1, boardcols);
    ingamev.board[27][9] = 4;
    linecleartest(0);
    EXPECT_EQ(ingamev.board[26][9], 4);
    EXPECT_EQ(heard(), "combo0.wav erase1.wav");
    ingamev.board[26][9] = 0;
    ingamev.combo = 1;
    std::memset(ingamev.board, 1, 2 * boardcols);
    headless::clearrecords();
    linecleartest(0); // Double, combo bonus 1, perfect clear 18, times level 5
    EXPECT_EQ(heard(), "combo2.wav erase2.wav bravo.wav");
    EXPECT_EQ(ingamev.score, 500u + 11000u);
    newgame(7);
    ingamev.level = 250;
    lockon(1, false);
    EXPECT_EQ(ingamev.score, 300u);
}

} // namespace

#include "../shell/newgame.h"
#include "rules/rules.h"

#include <gtest/gtest.h>

namespace {

// n full rows at the bottom and one stray cell above them, so nothing clears the whole board. A
// spin puts a T's centre in row 0, where both lower corners are off the field, with one upper
// corner taken.
void lockon(unsigned n, bool spin) {
    std::memset(ingamev.board, 0, sizeof ingamev.board);
    for (unsigned r = 0; r < n; r++)
        fillrow(r);
    ingamev.board[n][0] = 1;
    ingamev.current = spin ? 6 : 3;
    ingamev.lastrotate = 1;
    ingamev.piecex[0] = 4;
    if (spin)
        ingamev.board[1][3] = 7;
    headless::clearrecords();
    linecleartest(0);
}

TEST(LineClear, EveryKindOfClearHasItsLabelSoundsAndPoints) {
    struct kind {
        unsigned n;
        bool spin;
        std::uint32_t b2b;
        std::uint8_t label;
        const char* sounds;
        std::uint64_t points;
    };
    const kind kinds[] = {
        {0, false, 1, 7, "", 0},
        {0, true, 1, 7, "combo0.wav tspin0.wav", 0},
        {1, false, 0, 2, "combo0.wav erase1.wav", 1},
        {2, false, 0, 3, "combo0.wav erase2.wav", 3},
        {3, false, 0, 4, "combo0.wav erase3.wav", 5},
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
        SCOPED_TRACE(testing::Message()
                     << "lines " << k.n << " spin " << k.spin << " b2b " << k.b2b);
        newgame(5);
        ingamev.label = 7;
        ingamev.b2b = k.b2b;
        lockon(k.n, k.spin);
        EXPECT_EQ(ingamev.label, k.label);
        EXPECT_EQ(heard(), k.sounds);
        EXPECT_EQ(ingamev.score, k.points * 100);
        EXPECT_EQ(ingamev.lines, k.n);
        EXPECT_EQ(ingamev.cleared, k.n);
        EXPECT_EQ(ingamev.labeltimer, k.n ? 120 : 0);
        EXPECT_EQ(ingamev.b2b, k.n == 4 || (k.spin && k.n) ? k.b2b + 1 : k.n ? 0 : k.b2b);
        EXPECT_EQ(ingamev.piececount, 1u);
    }
}

TEST(LineClear, TspinNeedsATRotatedLastAndThreeCorners) {
    auto spins = [](std::uint8_t piece, std::uint8_t rotated, unsigned short x, unsigned short y) {
        headless::clearrecords();
        ingamev.current = piece;
        ingamev.lastrotate = rotated;
        ingamev.piecex[0] = x;
        linecleartest(y);
        return heard() == "combo0.wav tspin0.wav";
    };
    newgame(5);
    ingamev.board[6][4] = ingamev.board[6][6] = ingamev.board[4][4] = 1;
    EXPECT_TRUE(spins(6, 1, 5, 5));
    EXPECT_FALSE(spins(6, 0, 5, 5));
    EXPECT_FALSE(spins(5, 1, 5, 5));
    ingamev.board[4][4] = 0;
    EXPECT_FALSE(spins(6, 1, 5, 5));
    // Against the left wall (column 9) the two outer corners are off the field.
    ingamev.board[4][8] = 1;
    EXPECT_TRUE(spins(6, 1, 9, 5));
}

TEST(LineClear, QuadixTwiceIsBackToBackAndASingleEndsTheChain) {
    newgame(5);
    lockon(4, false);
    EXPECT_EQ(ingamev.label, 5);
    EXPECT_EQ(heard(), "combo0.wav b2b_start.wav erase4.wav");
    lockon(4, false);
    EXPECT_EQ(ingamev.label, 9);
    EXPECT_EQ(heard(), "combo1.wav b2b_continue.wav erase4.wav");
    EXPECT_EQ(ingamev.score, 2000u);
    lockon(1, false);
    EXPECT_EQ(ingamev.label, 2);
    EXPECT_EQ(heard(), "combo2.wav b2b_end.wav erase1.wav");
    EXPECT_EQ(ingamev.b2b, 0u);
    EXPECT_EQ(ingamev.score, 2200u); // a Single with the first combo bonus
}

TEST(LineClear, CombosCountClearingLocksAndEarnGrowingBonuses) {
    newgame(5);
    const std::uint64_t points[] = {1, 1, 2, 2, 3, 3, 4, 4};
    std::uint64_t score = 0;
    for (unsigned i = 0; i < 8; i++) {
        lockon(1, false);
        score += points[i] * 100;
        EXPECT_EQ(ingamev.combo, i);
        EXPECT_EQ(ingamev.score, score) << "lock " << i;
        EXPECT_EQ(headless::sounds()[0], "combo" + std::to_string(i) + ".wav");
        EXPECT_EQ(ingamev.labelcombo, i);
    }
    // A T-spin without lines breaks the combo but keeps the label and the back-to-back chain.
    ingamev.b2b = 3;
    lockon(0, true);
    EXPECT_EQ(ingamev.combo, 0u);
    EXPECT_EQ(ingamev.b2b, 3u);
    EXPECT_EQ(ingamev.label, 2);
    EXPECT_EQ(ingamev.score, score);
    lockon(1, false);
    EXPECT_EQ(ingamev.combo, 0u);
}

TEST(LineClear, EmptyingTheBoardIsAPerfectClear) {
    newgame(5);
    fillrow(0);
    ingamev.current = 3;
    linecleartest(0);
    EXPECT_EQ(heard(), "combo0.wav erase1.wav bravo.wav");
    EXPECT_EQ(ingamev.score, 1900u);
}

TEST(LineClear, ScoreMultiplierFollowsTheRuleSet) {
    newgame(5);
    ingamev.level = 5;
    ingamev.cleared = 1;
    ingamev.combo = 1;
    lockon(2, false);
    EXPECT_EQ(ingamev.score, 2000u); // Double plus combo bonus, times level 5
    newgame(7);
    ingamev.level = 250;
    lockon(1, false);
    EXPECT_EQ(ingamev.score, 300u); // hundreds of levels plus one, before the level moves on
    EXPECT_EQ(ingamev.level, 252u);
}

TEST(LineClear, FullRowsClearAnywhereAndTheRestFallsInPlace) {
    newgame(5);
    fillrow(0);
    fillrow(1);
    ingamev.board[2][5] = 2;
    fillrow(3);
    fillrow(25);
    ingamev.board[26][0] = 3;
    ingamev.board[27][9] = 4;
    linecleartest(0);
    EXPECT_EQ(ingamev.cleared, 4);
    EXPECT_EQ(ingamev.board[0][5], 2);
    EXPECT_EQ(ingamev.board[0][4], 0);
    EXPECT_EQ(ingamev.board[22][0], 3);
    EXPECT_EQ(ingamev.board[23][9], 4);
    for (int r = 24; r < boardrows; r++)
        for (int x = 0; x < boardcols; x++)
            EXPECT_EQ(ingamev.board[r][x], 0);
}

} // namespace

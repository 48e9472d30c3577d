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
    ingamev.labeltimer = 0;
    headless::clearrecords();
    linecleartest(0);
}

// One game, lock after lock, so the chain and the combo carry over: every kind of clear, with and
// without back-to-back, and the combo bonus at each of its steps.
TEST(LineClear, ClearsInARowKeepTheirLabelsSoundsChainsCombosAndPoints) {
    struct lockof {
        unsigned n;
        bool spin;
        int label;
        const char* sounds;
        std::uint64_t points;
    };
    const lockof game[] = {
        {0, false, 1, "", 0},
        {1, false, 2, "combo0.wav erase1.wav", 1},
        {2, false, 3, "combo1.wav erase2.wav", 3},
        {3, false, 4, "combo2.wav erase3.wav", 5 + 1},
        {4, false, 5, "combo3.wav b2b_start.wav erase4.wav", 8 + 1},
        {4, false, 9, "combo4.wav b2b_continue.wav erase4.wav", 12 + 2},
        {1, true, 10, "combo5.wav b2b_continue.wav tspin1.wav", 6 + 2},
        {2, true, 11, "combo6.wav b2b_continue.wav tspin2.wav", 12 + 3},
        {3, true, 12, "combo7.wav b2b_continue.wav tspin3.wav", 18 + 3},
        {1, false, 2, "combo8.wav b2b_end.wav erase1.wav", 1 + 3},
        {0, true, 2, "combo0.wav tspin0.wav", 0},
        {1, true, 6, "combo0.wav b2b_start.wav tspin1.wav", 4},
        {0, false, 6, "", 0},
        {0, true, 6, "combo0.wav tspin0.wav", 0},
        {2, true, 11, "combo0.wav b2b_continue.wav tspin2.wav", 12},
        {1, false, 2, "combo1.wav b2b_end.wav erase1.wav", 1},
        {2, true, 7, "combo2.wav b2b_start.wav tspin2.wav", 8 + 1},
        {1, false, 2, "combo3.wav b2b_end.wav erase1.wav", 1 + 1},
        {3, true, 8, "combo4.wav b2b_start.wav tspin3.wav", 12 + 2},
    };
    newgame(5);
    std::uint64_t score = 0, lines = 0;
    for (const lockof& l : game) {
        SCOPED_TRACE(testing::Message() << "lock " << &l - game);
        lockon(l.n, l.spin);
        score += l.points * 100;
        lines += l.n;
        EXPECT_EQ(ingamev.label, l.label);
        EXPECT_EQ(heard(), l.sounds);
        EXPECT_EQ(ingamev.score, score);
        EXPECT_EQ(ingamev.lines, lines);
        EXPECT_EQ(ingamev.cleared, l.n);
        EXPECT_EQ(ingamev.labeltimer, l.n ? 120 : 0);
        if (ingamev.combo) {
            EXPECT_EQ(ingamev.labelcombo, ingamev.combo);
        }
    }
    EXPECT_EQ(ingamev.piececount, std::size(game));
}

TEST(LineClear, TspinNeedsATRotatedLastAndThreeCorners) {
    newgame(5);
    ingamev.board[6][4] = ingamev.board[6][6] = 1;
    ingamev.current = 6;
    ingamev.piecex[0] = 5;
    auto spins = [](int rotated) {
        ingamev.lastrotate = rotated;
        headless::clearrecords();
        linecleartest(5);
        return heard() == "combo0.wav tspin0.wav";
    };
    EXPECT_FALSE(spins(1)); // two corners
    ingamev.board[4][6] = 1;
    EXPECT_FALSE(spins(0));
    EXPECT_TRUE(spins(1));
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
    ingamev.level = 299; // scored at level 299, before the level rule takes it to 300
    lockon(1, false);
    EXPECT_EQ(ingamev.score, 300u);
}

} // namespace

#include "field.h"
#include "rules/rules.h"

#include <gtest/gtest.h>

using namespace field;

TEST(LockDelay, SrsRefillsOnlyARunningTimerAndOnlyFiveTimes) {
    freshgame();
    setup("...@0@..../....@.....", 1, 6);
    EXPECT_FALSE(left());
    EXPECT_EQ(ingamev.resetsleft, 5);
    for (int n = 1; n <= 6; n++) {
        ingamev.locktimer = 12;
        EXPECT_FALSE(n % 2 ? right() : left());
        EXPECT_EQ(ingamev.locktimer, n <= 5 ? 30 : 12) << n;
    }
    EXPECT_EQ(ingamev.resetsleft, 0);
}

TEST(LockDelay, ArsRefillsOnlyOnANewLowestRow) {
    freshgame(true);
    deal(6, 5, 25);
    for (int row = 24; row >= 23; row--) {
        ingamev.locktimer = 9;
        EXPECT_FALSE(left());
        EXPECT_FALSE(right());
        EXPECT_EQ(ingamev.locktimer, 9);
        EXPECT_FALSE(drop(false));
        EXPECT_EQ(ingamev.locktimer, 30);
        EXPECT_EQ(ingamev.resetlimit, row);
    }
}

TEST(ReappliedFall, ShiftOffALedgeFallsOneFrameAtOnce) {
    struct {
        bool ars, air;
        std::uint8_t hard, latch, soft;
        std::uint32_t sds, gravity;
        int pivoty;
        std::uint64_t score;
        std::uint32_t sum;
    } cases[] = {
        {false, false, 0, 0, 0, 0, 4, 3, 0, 4},         // low gravity: hangs over the hole
        {false, false, 0, 0, 0, 0, 256, 2, 0, 0},       // one row a frame
        {false, false, 0, 0, 0, 0, instant, 1, 0, 255}, // 20G: to the bottom of the hole
        {false, true, 0, 0, 0, 0, instant, 4, 0, 250},  // not resting before the shift: no fall
        {false, false, 1, 0, 0, 0, 4, 1, 4, 3},         // hard drop held: 255 left, +4, blocked
        {false, false, 1, 1, 0, 0, 4, 3, 0, 4},         // its latch stops it under SRS...
        {true, false, 1, 1, 0, 0, 4, 1, 4, 3},          // ...but not under ARS
        {false, false, 0, 0, 1, 300, 4, 2, 1, 48},      // soft drop held: 1 point a row
        {false, false, 1, 0, 1, 300, 4, 1, 4, 47},      // 255 + 300 is blocked at 299, +4
        {false, false, 1, 0, 0, 0, instant, 1, 4, 255}, // 255 + 20G stops at the top
    };
    int n = 0;
    for (const auto& c : cases) {
        freshgame(c.ars);
        // An O on a ledge (or a row above it) beside a hole two wide and two deep.
        setup("#..#######/#..#######", 1, 2);
        setup("..@0....../..@@......", c.air ? 4 : 3, 2);
        keys[0] = c.hard;
        arrkeys[0] = c.latch;
        keys[1] = c.soft;
        INGAMESDS = c.sds;
        ingamev.gravity = c.gravity;
        ingamev.gravitysum = 250; // from an earlier frame; a fall starts afresh
        EXPECT_FALSE(left()) << n;
        EXPECT_EQ(ingamev.pivoty, c.pivoty) << n;
        EXPECT_EQ(ingamev.score, c.score) << n;
        EXPECT_EQ(ingamev.gravitysum, c.sum) << n;
        n++;
    }
}

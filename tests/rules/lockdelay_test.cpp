#include "field.h"
#include "frontend/frontend.h"

using namespace field;

TEST(LockDelay, SrsRefillsARunningTimerFiveTimesArsOnANewLowestRow) {
    freshgame();
    setup("...@0@..../....@.....", 1, 6, 0);
    EXPECT_EQ(play("l"), "."); // the timer is full: no refill spent
    for (int n = 1; n <= 6; n++) {
        ingamev.locktimer = 12;
        EXPECT_EQ(play(n % 2 ? "r" : "l"), ".");
        EXPECT_EQ(ingamev.locktimer, n <= 5 ? 30 : 12) << n;
    }
    freshgame(true);
    setup("", 0, 6, 2, 5, 25);
    for (int row = 24; row >= 23; row--) {
        ingamev.locktimer = 9;
        EXPECT_EQ(play("lr"), ".."); // sideways on the same row: no refill
        EXPECT_EQ(ingamev.locktimer, 9);
        EXPECT_EQ(play("d"), ".");
        EXPECT_EQ(std::tuple(int(ingamev.locktimer), int(ingamev.resetlimit)), std::tuple(30, row));
    }
}

TEST(LockDelay, AShiftOffALedgeFallsOneFrameAtOnce) {
    // ars, above the ledge, hard-drop key, its latch, soft-drop key, soft-drop speed, gravity;
    // then the pivot row, the points and the fall sum afterwards.
    const std::uint32_t cases[][10] = {
        {0, 0, 0, 0, 0, 0, 4, 3, 0, 4},         // low gravity: hangs over the hole
        {0, 0, 0, 0, 0, 0, 256, 2, 0, 0},       // one row a frame
        {0, 0, 0, 0, 0, 0, instant, 1, 0, 255}, // 20G: to the bottom of the hole
        {0, 1, 0, 0, 0, 0, instant, 4, 0, 250}, // not resting before the shift: no fall
        {0, 0, 1, 0, 0, 0, 4, 1, 4, 3},         // hard drop held: 255 left, +4, blocked
        {0, 0, 1, 1, 0, 0, 4, 3, 0, 4},         // its latch stops it under SRS...
        {1, 0, 1, 1, 0, 0, 4, 1, 4, 3},         // ...but not under ARS
        {0, 0, 0, 0, 1, 300, 4, 2, 1, 48},      // soft drop held: 1 point a row
        {0, 0, 1, 0, 1, 300, 4, 1, 4, 47},      // 255 + 300 is blocked at 299, +4
        {0, 0, 1, 0, 0, 0, instant, 1, 4, 255}, // 255 + 20G stops at the top
    };
    for (const auto& c : cases) {
        freshgame(c[0]);
        // An O on a ledge (or a row above it) beside a hole two wide and two deep.
        draw("#..#######/#..#######", 1);
        setup("..@0....../..@@......", c[1] ? 4 : 3, 2, 0);
        keys[0] = std::uint8_t(c[2]), arrkeys[0] = c[3], keys[1] = std::uint8_t(c[4]);
        INGAMESDS = c[5];
        ingamev.gravity = c[6];
        ingamev.gravitysum = 250; // from an earlier frame; a fall starts afresh
        EXPECT_FALSE(left());
        EXPECT_EQ(std::tuple(ingamev.pivoty, ingamev.score, ingamev.gravitysum),
                  std::tuple(c[7], c[8], c[9]))
            << "case " << &c - cases;
    }
}

#include "game.h"
#include "shell/supply.h"

#include <array>
#include <tuple>
#include <vector>

using bag = std::array<std::uint8_t, 7>;
using cells = std::vector<std::pair<int, int>>;

static bag shuffled(std::uint32_t r, bag b = {0, 1, 2, 3, 4, 5, 6}) {
    shufflebag(b.data(), r);
    return b;
}

TEST(Supply, BagDigitsAndHistoryTries) {
    EXPECT_EQ(shuffled(0), (bag{1, 2, 3, 4, 5, 6, 0}));    // every swap takes the front
    EXPECT_EQ(shuffled(1), (bag{2, 1, 3, 4, 5, 6, 0}));    // last digit 1 keeps b[1]
    EXPECT_EQ(shuffled(5039), (bag{0, 1, 2, 3, 4, 5, 6})); // every digit at its maximum
    const std::uint8_t history[4] = {0, 0, 1, 6};          // S, S, Z, T
    EXPECT_EQ(pickpiece(history, 0 + 1 * 7 + 6 * 49 + 3 * 343), 3);
    EXPECT_EQ(pickpiece(history, 6 + 0 * 7 + 1 * 49 + 6 * 343 + 1 * 2401 + 0 * 16807u), 0);
}

static void deal(bool ars, std::vector<std::uint8_t> q = {}) {
    headless::reset();
    ingamev.ars = ars;
    std::copy(q.begin(), q.end(), ingamev.queue);
    ingamev.queuecount = static_cast<std::uint8_t>(q.size());
    ingamev.hold = 255;
    ingamev.lockdelay = 30;
    ingamev.resetlimit = 5;
}

TEST(Supply, GamesOpenWithILJOrTAndBagsAreComplete) {
    for (unsigned s = 0; s < 300; s++) {
        for (bool ars : {false, true}) {
            seed(s);
            deal(ars);
            bag seen{};
            for (int i = 0; i < 21; i++) {
                spawn(false);
                ASSERT_TRUE(i > 0 || ingamev.current >= 3) << "seed " << s;
                ASSERT_GE(ingamev.queuecount, 6);
                ASSERT_LE(ingamev.queuecount, ars ? 6 : 12);
                seen[ingamev.current]++;
            }
            ASSERT_TRUE(ars || seen == (bag{3, 3, 3, 3, 3, 3, 3}));
        }
    }
}

TEST(Supply, BadFirstBagIsReshuffledAsItStands) {
    unsigned s = 0;
    std::uint32_t r1 = 0, r2 = 0;
    while (shuffled(r1)[0] >= 3 || shuffled(r2, shuffled(r1))[0] < 3 ||
           shuffled(r2, shuffled(r1)) == shuffled(r2)) {
        seed(++s);
        r1 = next();
        r2 = next();
    }
    seed(s);
    deal(false);
    spawn(false);
    EXPECT_EQ(ingamev.current, shuffled(r2, shuffled(r1))[0]);
}

static cells piece() {
    cells c;
    for (int i = 0; i < 4; i++)
        c.push_back({ingamev.piecex[i], ingamev.piecey[i]});
    return c;
}

TEST(Supply, SpawnPositionsOfBothRuleSets) {
    auto& g = ingamev;
    for (bool ars : {false, true}) {
        deal(ars, {6, 3, 6, 6, 6, 6, 6, 6});
        spawn(false);
        cells t = piece();
        spawn(false);
        // Under ARS the T points down, and the I sits one column right and one row down, off its
        // reference point.
        EXPECT_EQ(std::tuple(t, piece(), g.rotation, g.resetlimit, g.resetsleft, g.pivoty, heard()),
                  ars ? std::tuple(cells{{5, 25}, {6, 25}, {4, 25}, {5, 24}},
                                   cells{{4, 24}, {5, 24}, {6, 24}, {3, 24}}, 2, 25, 0, 25,
                                   "piece0.wav piece4.wav")
                      : std::tuple(cells{{5, 24}, {4, 24}, {6, 24}, {5, 25}},
                                   cells{{5, 25}, {4, 25}, {3, 25}, {6, 25}}, 0, 5, 5, 25,
                                   "piece0.wav piece4.wav"));
    }
}

TEST(Supply, HoldDealsFromTheQueueOnceThenSwaps) {
    auto& g = ingamev;
    for (bool ars : {false, true}) {
        deal(ars, {6, 3, 4, 5, 0, 1, 2, 6});
        spawn(false);
        g.holdused = 1;
        hold(); // empty slot: T goes in, I comes from the queue
        EXPECT_EQ(std::tuple(g.hold, g.current, g.holdused, g.queuecount), std::tuple(6, 3, 1, 6));
        g.justspawned = 0;
        g.locktimer = 3;
        g.resetlimit = 12; // modes 7 and 8: the lowest row the last piece reached
        hold();            // full slot: T and I swap
        EXPECT_EQ(
            std::tuple(g.hold, g.current, g.queuecount, g.locktimer, g.resetlimit, g.piecey[0]),
            std::tuple(3, 6, 6, 30, 12, ars ? 25 : 24));
        EXPECT_EQ(heard(), "piece0.wav initialhold.wav piece1.wav hold.wav piece1.wav");
    }
}

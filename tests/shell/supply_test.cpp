#include "gamefixture.h"
#include "shell/supply.h"

#include <array>
#include <string>
#include <vector>

using bag = std::array<std::uint8_t, 7>;
using cells = std::vector<std::pair<int, int>>;

static bag shuffled(std::uint32_t r, bag b = {0, 1, 2, 3, 4, 5, 6}) {
    shufflebag(b.data(), r);
    return b;
}

TEST(Randomisers, BagDigitsAndHistoryTries) {
    EXPECT_EQ(shuffled(0), (bag{1, 2, 3, 4, 5, 6, 0}));    // every swap takes the front
    EXPECT_EQ(shuffled(1), (bag{2, 1, 3, 4, 5, 6, 0}));    // last digit 1 keeps b[1]
    EXPECT_EQ(shuffled(5039), (bag{0, 1, 2, 3, 4, 5, 6})); // every digit at its maximum
    const std::uint8_t history[4] = {0, 0, 1, 6};          // S, S, Z, T
    EXPECT_EQ(pickpiece(history, 0 + 1 * 7 + 6 * 49 + 3 * 343), 3);
    EXPECT_EQ(pickpiece(history, 6 + 0 * 7 + 1 * 49 + 6 * 343 + 1 * 2401 + 0 * 16807u), 0);
}

class Supply : public GameTest {
  protected:
    void newgame(bool ars, std::vector<std::uint8_t> q = {}) {
        ingamev.ars = ars;
        std::copy(q.begin(), q.end(), ingamev.queue);
        ingamev.queuecount = static_cast<std::uint8_t>(q.size());
        ingamev.hold = 255;
        ingamev.lockdelay = 30;
        ingamev.resetlimit = 5;
    }
    static cells piece() {
        cells c;
        for (int i = 0; i < 4; i++)
            c.push_back({ingamev.piecex[i], ingamev.piecey[i]});
        return c;
    }
};

TEST_F(Supply, GamesOpenWithILJOrTAndBagsAreComplete) {
    for (unsigned s = 0; s < 300; s++) {
        for (bool ars : {false, true}) {
            seed(s);
            newgame(ars);
            spawn(false);
            ASSERT_GE(ingamev.current, 3) << "seed " << s;
            bag seen{};
            seen[ingamev.current]++;
            for (int i = 1; i < 21; i++) {
                spawn(false);
                ASSERT_GE(ingamev.queuecount, 6);
                ASSERT_LE(ingamev.queuecount, ars ? 6 : 12);
                seen[ingamev.current]++;
            }
            ASSERT_TRUE(ars || seen == (bag{3, 3, 3, 3, 3, 3, 3}));
        }
    }
}

TEST_F(Supply, BadFirstBagIsReshuffledAsItStands) {
    unsigned s = 0;
    std::uint32_t r1 = 0, r2 = 0;
    while (shuffled(r1)[0] >= 3 || shuffled(r2, shuffled(r1))[0] < 3 ||
           shuffled(r2, shuffled(r1)) == shuffled(r2)) {
        seed(++s);
        r1 = next();
        r2 = next();
    }
    seed(s);
    newgame(false);
    spawn(false);
    EXPECT_EQ(ingamev.current, shuffled(r2, shuffled(r1))[0]);
}

TEST_F(Supply, SpawnPositionsOfBothRuleSets) {
    newgame(false, {6, 3, 6, 6, 6, 6, 6, 6});
    spawn(false);
    EXPECT_EQ(piece(), (cells{{5, 24}, {4, 24}, {6, 24}, {5, 25}}));
    EXPECT_EQ(headless::sounds().back(), "piece0.wav"); // announces the I
    spawn(false);
    EXPECT_EQ(piece(), (cells{{5, 25}, {4, 25}, {3, 25}, {6, 25}}));
    EXPECT_EQ(ingamev.rotation, 0);

    newgame(true, {6, 3, 6, 6, 6, 6, 6, 6});
    spawn(false); // T points down
    EXPECT_EQ(piece(), (cells{{5, 25}, {6, 25}, {4, 25}, {5, 24}}));
    EXPECT_EQ(ingamev.rotation, 2);
    EXPECT_EQ(ingamev.resetlimit, 25);
    EXPECT_EQ(ingamev.resetsleft, 0);
    spawn(false); // I one column right and one row down, off its reference point
    EXPECT_EQ(piece(), (cells{{4, 24}, {5, 24}, {6, 24}, {3, 24}}));
    EXPECT_EQ(ingamev.pivoty, 25);
}

TEST_F(Supply, HoldDealsFromTheQueueOnceThenSwaps) {
    for (bool ars : {false, true}) {
        newgame(ars, {6, 3, 4, 5, 0, 1, 2, 6});
        spawn(false);
        ingamev.holdused = 1;
        hold(); // empty slot: T goes in, I comes from the queue
        EXPECT_EQ(ingamev.hold, 6);
        EXPECT_EQ(ingamev.current, 3);
        EXPECT_EQ(ingamev.holdused, 1);
        EXPECT_EQ(ingamev.queuecount, 6);
        auto& s = headless::sounds();
        EXPECT_EQ(std::vector<std::string>(s.end() - 2, s.end()),
                  (std::vector<std::string>{"initialhold.wav", "piece1.wav"}));
        ingamev.justspawned = 0;
        ingamev.locktimer = 3;
        ingamev.resetlimit = 12; // modes 7 and 8: the lowest row the last piece reached
        hold();                  // full slot: T and I swap
        EXPECT_EQ(ingamev.current, 6);
        EXPECT_EQ(ingamev.hold, 3);
        EXPECT_EQ(ingamev.queuecount, 6);
        EXPECT_EQ(ingamev.locktimer, 30);
        EXPECT_EQ(ingamev.resetlimit, 12);
        EXPECT_EQ(ingamev.piecey[0], ars ? 25 : 24);
        EXPECT_EQ(s[s.size() - 2], "hold.wav");
    }
}

#include "newgame.h"
#include "shell/shell.h"

#include <gtest/gtest.h>

namespace {

// One lock in the current mode that cleared `n` lines, seen from the mode rule.
void after(std::uint64_t level, std::uint8_t n) {
    headless::clearrecords();
    ingamev.level = level;
    ingamev.cleared = n;
    ingamev.lines += n;
    moderule();
}

TEST(Modes, PieceLevelsStopBeforeEachHundredAndAt998) {
    for (std::uint8_t mode : {7, 8}) {
        SCOPED_TRACE(int(mode));
        newgame(mode);
        after(99, 0);
        EXPECT_EQ(ingamev.level, 99u);
        EXPECT_EQ(heard(), "");
        after(99, 1);
        EXPECT_EQ(ingamev.level, 100u);
        EXPECT_EQ(heard(), "levelup.wav");
        after(997, 0);
        EXPECT_EQ(ingamev.level, 998u);
        after(998, 0);
        EXPECT_EQ(ingamev.level, 998u);
        EXPECT_EQ(ingamev.over, 0);
        after(998, 1);
        EXPECT_EQ(ingamev.level, 999u);
        EXPECT_EQ(ingamev.over, 1);
        EXPECT_EQ(heard(), "excellent.wav");
        newgame(mode);
        after(996, 4);
        EXPECT_EQ(ingamev.level, 999u);
        EXPECT_EQ(ingamev.over, 1);
    }
}

TEST(Modes, PieceLevelsSetGravityAndDelays) {
    struct step {
        std::uint8_t mode;
        std::uint64_t level;
        std::uint8_t n;
        std::uint32_t gravity;
        std::uint16_t are, lockdelay;
    };
    const step steps[] = {
        {7, 0, 0, 4, 25, 30},         {7, 7, 0, 5, 25, 30},         {7, 98, 1, 80, 25, 30},
        {7, 198, 1, 4, 25, 30},       {7, 418, 1, 1024, 25, 30},    {7, 499, 1, instant, 25, 30},
        {7, 698, 1, instant, 16, 30}, {7, 899, 0, instant, 12, 30}, {7, 899, 1, instant, 12, 17},
        {8, 0, 0, instant, 16, 30},   {8, 99, 1, instant, 12, 26},  {8, 398, 0, instant, 6, 18},
        {8, 499, 2, instant, 4, 15},
    };
    for (auto& s : steps) {
        SCOPED_TRACE(testing::Message() << int(s.mode) << " from " << s.level);
        newgame(s.mode);
        after(s.level, s.n);
        EXPECT_EQ(ingamev.gravity, s.gravity);
        EXPECT_EQ(ingamev.are, s.are);
        EXPECT_EQ(ingamev.lockdelay, s.lockdelay);
    }
}

TEST(Modes, LineLevelsRaiseGravityWithinTheTables) {
    newgame(6);
    ingamev.lines = 24;
    after(3, 1);
    EXPECT_EQ(heard(), "");
    after(3, 5);
    EXPECT_EQ(ingamev.level, 4u);
    EXPECT_EQ(ingamev.gravity, 9u);
    EXPECT_EQ(heard(), "levelup.wav");
    ingamev.lines = 608;
    after(61, 2);
    EXPECT_EQ(ingamev.level, 62u);
    EXPECT_EQ(ingamev.gravity, instant);
    EXPECT_EQ(ingamev.lockdelay, 1);

    newgame(0);
    ingamev.lines = 198;
    ingamev.gravity = 4;
    after(20, 2);
    EXPECT_EQ(heard(), "excellent.wav levelup.wav");
    EXPECT_EQ(ingamev.over, 1);
    EXPECT_EQ(ingamev.level, 21u);

    newgame(4);
    ingamev.lines = 196;
    after(20, 4);
    EXPECT_EQ(ingamev.level, 21u);
    EXPECT_EQ(ingamev.gravity, ingamev.gravitytable[19]);
    ingamev.gravity = 4;
    ingamev.lines = 99996;
    after(21, 4);
    EXPECT_EQ(ingamev.level, 10001u);
    EXPECT_EQ(ingamev.gravity, ingamev.gravitytable[19]);
    EXPECT_EQ(ingamev.over, 0);
}

TEST(Modes, OtherModesKeepTheirLevelAndOnlyModeOneWinsByLines) {
    for (std::uint8_t mode : {1, 2, 3, 5}) {
        newgame(mode);
        ingamev.gravity = 4;
        ingamev.lockdelay = 30;
        ingamev.lines = 36;
        after(1, 3);
        EXPECT_EQ(ingamev.over, 0);
        after(1, 1);
        EXPECT_EQ(ingamev.over, mode == 1 ? 1 : 0);
        EXPECT_EQ(ingamev.level, 1u);
        EXPECT_EQ(ingamev.gravity, 4u);
        EXPECT_EQ(ingamev.lockdelay, 30);
    }
}

} // namespace

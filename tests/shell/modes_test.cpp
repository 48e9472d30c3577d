#include "newgame.h"
#include "shell/shell.h"

#include <gtest/gtest.h>

namespace {

// The mode rule after a lock at `level` that cleared n lines.
void after(std::uint64_t level, std::uint8_t n) {
    headless::clearrecords();
    ingamev.level = level;
    ingamev.cleared = n;
    ingamev.lines += n;
    moderule();
}

TEST(Modes, PieceLevelsStopBeforeEachHundredAndAt998) {
    for (std::uint8_t mode : {7, 8}) {
        newgame(mode);
        after(99, 0);
        EXPECT_EQ(ingamev.level + ingamev.over, 99u);
        after(99, 1);
        EXPECT_EQ(ingamev.level, 100u);
        EXPECT_EQ(heard(), "levelup.wav");
        after(998, 0);
        EXPECT_EQ(ingamev.level + ingamev.over, 998u);
        after(998, 1);
        EXPECT_EQ(ingamev.level, 999u);
        EXPECT_EQ(heard(), "excellent.wav");
        EXPECT_EQ(ingamev.over, 1);
        after(996, 4);
        EXPECT_EQ(ingamev.level, 999u);
    }
}

TEST(Modes, PieceLevelsSetGravityAndDelays) {
    newgame(8);
    after(0, 0);
    EXPECT_EQ(ingamev.gravity, instant);
    EXPECT_EQ(ingamev.are, 16);
    newgame(7);
    after(198, 1); // the curve falls back to its slowest at 200
    EXPECT_EQ(ingamev.gravity, 4u);
    after(899, 1);
    EXPECT_EQ(ingamev.gravity, instant);
    EXPECT_EQ(ingamev.are + ingamev.lockdelay, 12 + 17);
}

TEST(Modes, LineLevelsStayInsideTheTables) {
    newgame(6);
    ingamev.lines = 608;
    after(61, 2);
    EXPECT_EQ(ingamev.level, 62u);
    EXPECT_EQ(ingamev.gravity, instant);
    EXPECT_EQ(ingamev.lockdelay, 1);
    EXPECT_EQ(heard(), "levelup.wav");

    newgame(0);
    ingamev.lines = 198;
    after(20, 2);
    EXPECT_EQ(heard(), "excellent.wav levelup.wav");
    EXPECT_EQ(ingamev.level, 21u);

    newgame(4);
    ingamev.gravity = 4;
    ingamev.lines = 99996;
    after(21, 4);
    EXPECT_EQ(ingamev.level, 10001u);
    EXPECT_EQ(ingamev.gravity, ingamev.gravitytable[19]);
}

TEST(Modes, OtherModesKeepTheirLevelAndOnlyModeOneWinsByLines) {
    for (std::uint8_t mode : {1, 2, 3, 5}) {
        newgame(mode);
        ingamev.gravity = 4;
        ingamev.lines = 36;
        after(1, 3);
        EXPECT_EQ(ingamev.over, 0);
        after(1, 1);
        EXPECT_EQ(ingamev.over, mode == 1);
        EXPECT_EQ(ingamev.level * ingamev.gravity, 4u);
    }
}

} // namespace

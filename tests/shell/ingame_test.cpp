#include "frontend/frontend.h"
#include "gamefixture.h"

#include <algorithm>
#include <map>
#include <string>

using Ingame = GameTest;

static int leftmost() {
    return *std::max_element(ingamev.piecex, ingamev.piecex + 4);
}
static bool played(const std::string& name) {
    auto& s = headless::sounds();
    return std::find(s.begin(), s.end(), name) != s.end();
}

// Keys held during the frames of a game: {first frame, last frame, key}.
struct held {
    std::uint64_t from, to;
    unsigned char code;
};
static void script(std::uint64_t next, std::initializer_list<held> holds) {
    headless::releaseall();
    for (auto& h : holds)
        if (next >= h.from && next <= h.to)
            headless::press(h.code);
}

TEST_F(Ingame, TapMovesOneColumnAndHeldKeyRepeatsAfterTheDelay) {
    std::map<std::uint64_t, int> at;
    play(1, [&](std::uint64_t n) {
        at[n] = leftmost();
        script(n + 1, {{2, 2, key::right}, {5, 40, key::left}});
        return n < 14;
    });
    EXPECT_EQ(at[1], 6);
    EXPECT_EQ(at[2], 5); // the tap
    EXPECT_EQ(at[4], 5);
    EXPECT_EQ(at[5], 6);  // first frame of the held press
    EXPECT_EQ(at[11], 6); // DAS counter reaches 7 on the seventh frame
    EXPECT_EQ(at[12], 9); // the eighth frame repeats across the field
}

TEST_F(Ingame, AutoRepeatCarriesFractionsAndBothDirectionsCancel) {
    initload();
    INGAMEARR = 96; // three columns in eight frames
    savesettings();
    std::map<std::uint64_t, int> at;
    play(1, [&](std::uint64_t n) {
        at[n] = leftmost();
        script(n + 1, {{2, 30, key::left}, {2, 4, key::right}});
        return n < 19;
    });
    EXPECT_EQ(at[4], 6);  // both keys: nothing
    EXPECT_EQ(at[5], 7);  // left alone: a fresh press
    EXPECT_EQ(at[13], 7); // 96, then 192
    EXPECT_EQ(at[14], 8); // 288: one column, 32 carried
    EXPECT_EQ(at[16], 8);
    EXPECT_EQ(at[17], 9); // 32 + 3 * 96 = 320
}

TEST_F(Ingame, KeyHeldThroughTheSpawnDelayRepeatsFromTheFirstFrame) {
    std::uint64_t spawned = 0;
    play(7, [&](std::uint64_t n) {
        if (n > 1 && ingamev.active && !spawned) {
            spawned = n;
            EXPECT_EQ(leftmost(), 9);
            EXPECT_EQ(ingamev.piececount, 1);
        }
        script(n + 1, {{2, 2, key::down}, {3, 60, key::left}});
        return spawned == 0 && n < 60;
    });
    EXPECT_GT(spawned, 10u);
}

TEST_F(Ingame, InitialHoldAndRotationActInTheSpawnFrame) {
    std::uint8_t next = 0;
    bool checked = false;
    play(7, [&](std::uint64_t n) {
        if (n == 1)
            next = ingamev.queue[0];
        if (n > 2 && ingamev.active && !checked) {
            checked = true;
            EXPECT_EQ(ingamev.hold, next);
            EXPECT_TRUE(played("initialhold.wav"));
            EXPECT_TRUE(played("initialrotate.wav"));
            EXPECT_NE(ingamev.rotation, 2);
        }
        script(n + 1, {{2, 2, key::down}, {5, 99, key::hold}, {5, 99, key::rotleft}});
        return !checked;
    });
}

TEST_F(Ingame, RotationKeyHeldAcrossALockDoesNotTurnTheNextPiece) {
    std::uint64_t rotations = 0;
    play(1, [&](std::uint64_t n) {
        rotations = std::count(headless::sounds().begin(), headless::sounds().end(), "rotate.wav");
        script(n + 1, {{2, 40, key::rotright}, {5, 5, key::up}});
        return n < 40;
    });
    EXPECT_EQ(rotations, 1u);
    EXPECT_EQ(ingamev.piececount, 1u);
    EXPECT_EQ(ingamev.rotation, 0);
}

TEST_F(Ingame, HardDropLocksAtOnceAndNeedsANewPress) {
    play(1, [&](std::uint64_t n) {
        if (n == 2 || n == 20) {
            EXPECT_EQ(ingamev.piececount, 1u) << "frame " << n;
        }
        script(n + 1, {{2, 20, key::up}, {22, 22, key::up}});
        return n < 22;
    });
    EXPECT_EQ(ingamev.piececount, 2u);
}

TEST_F(Ingame, SonicDropRepeatsWhileHeldAndNeverLocks) {
    play(7, [&](std::uint64_t n) {
        if (n == 1)
            for (int x = 0; x < 10; x++)
                ingamev.board[10][x] = 1; // a shelf for the piece to land on
        if (n == 2) {
            EXPECT_EQ(*std::min_element(ingamev.piecey, ingamev.piecey + 4), 11);
            for (int x = 0; x < 10; x++)
                ingamev.board[10][x] = 0;
        }
        if (n == 3) {
            EXPECT_EQ(*std::min_element(ingamev.piecey, ingamev.piecey + 4), 0);
            EXPECT_EQ(ingamev.active, 1);
        }
        script(n + 1, {{2, 99, key::up}});
        return n < 3;
    });
    EXPECT_FALSE(played("lock.wav"));
}

TEST_F(Ingame, TimedModeIsWonOnItsLastUnpausedFrame) {
    std::uint64_t won = 0;
    headless::press(key::pause);
    play(2, [&](std::uint64_t n) {
        if (n > 100 && n <= 300) {
            EXPECT_EQ(ingamev.frames, 100u);
        }
        if (ingamev.over && !won) {
            won = n;
            EXPECT_EQ(ingamev.frames, 7200u);
        }
        // The pause key still held from the menu does not pause the new game.
        script(n + 1, {{1, 3, key::pause}, {101, 101, key::pause}, {301, 301, key::pause}});
        return !won && n < 8000;
    });
    EXPECT_EQ(won, 7400u);
    std::string end;
    for (int c = 35; c <= 44; c++)
        end += static_cast<char>(headless::display()[24 * 80 + c].ch);
    EXPECT_EQ(end.substr(1, 8), "YOU WIN!");
}

TEST_F(Ingame, AfterTheEndPauseAloneStaysAndHoldWithPauseLeaves) {
    std::uint64_t over = 0;
    bool left = play(1, [&](std::uint64_t n) {
        if (ingamev.over && !over)
            over = n;
        if (!over) {
            script(n + 1, {{n + 1, n % 2 ? n + 1 : 0, key::up}});
        } else {
            EXPECT_LT(n, over + 12);
            script(n + 1, {{over + 2, over + 2, key::pause},
                           {over + 6, over + 10, key::hold},
                           {over + 10, over + 10, key::pause}});
        }
        return n < 2000;
    });
    EXPECT_TRUE(left);
    EXPECT_TRUE(played("gameover.wav"));
    EXPECT_EQ(std::count(headless::sounds().begin(), headless::sounds().end(), "pause.wav"), 1);
}

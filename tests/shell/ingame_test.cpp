#include "frontend/frontend.h"
#include "game.h"

#include <vector>

using Ingame = GameTest;

static int leftmost() {
    return *std::max_element(ingamev.piecex, ingamev.piecex + 4);
}

// The leftmost column of the piece after each frame of mode 1, from frame 1 to `last`.
static std::vector<int> columns(std::uint64_t last, std::initializer_list<held> holds) {
    std::vector<int> at;
    play(1, [&](std::uint64_t n) {
        at.push_back(leftmost());
        script(n + 1, holds);
        return n < last;
    });
    return at;
}

TEST_F(Ingame, TapMovesOneColumnAndHeldKeyRepeatsOnceItsDelayIsCharged) {
    // The held key moves on its first frame (5), its DAS counter reaches 7 on the seventh (11) and
    // the eighth repeats across the field.
    EXPECT_EQ(columns(12, {{2, 2, key::right}, {5, 40, key::left}}),
              (std::vector{6, 5, 5, 5, 6, 6, 6, 6, 6, 6, 6, 9}));
}

TEST_F(Ingame, AutoRepeatCarriesFractionsAndBothDirectionsCancel) {
    initload();
    INGAMEARR = 96; // three columns in eight frames
    savesettings();
    // Both keys: nothing; left alone: a fresh press; then 96, 192, 288 (one column, 32 carried),
    // and 32 + 3 * 96.
    EXPECT_EQ(columns(17, {{2, 30, key::left}, {2, 4, key::right}}),
              (std::vector{6, 6, 6, 6, 7, 7, 7, 7, 7, 7, 7, 7, 7, 8, 8, 8, 9}));
}

// Plays mode 7 until the piece after the first is in play, returning its frame and the piece
// that was next at the start.
static std::pair<std::uint64_t, int> secondpiece(std::initializer_list<held> holds) {
    std::pair<std::uint64_t, int> seen{0, ingamev.queue[0]};
    play(7, [&](std::uint64_t n) {
        if (n == 1)
            seen.second = ingamev.queue[0];
        if (n > 2 && ingamev.active)
            seen.first = n;
        script(n + 1, holds);
        return !seen.first && n < 60;
    });
    return seen;
}

TEST_F(Ingame, KeyHeldThroughTheSpawnDelayRepeatsFromTheFirstFrame) {
    EXPECT_GT(secondpiece({{2, 2, key::down}, {3, 60, key::left}}).first, 10u);
    EXPECT_EQ(std::pair(leftmost(), ingamev.piececount), std::pair(9, std::uint64_t{1}));
}

TEST_F(Ingame, InitialHoldAndRotationActInTheSpawnFrame) {
    auto [at, next] = secondpiece({{2, 2, key::down}, {5, 99, key::hold}, {5, 99, key::rotleft}});
    EXPECT_EQ(ingamev.hold, next);
    EXPECT_NE(ingamev.rotation, 2);
    EXPECT_EQ(std::pair(count("initialhold.wav"), count("initialrotate.wav")), std::pair(1L, 1L));
}

// Rotation turns once per press, and under SRS a hard drop locks at once and needs a new press.
TEST_F(Ingame, HeldRotationAndHardDropActOncePerPress) {
    std::uint64_t pieces = 0;
    play(1, [&](std::uint64_t n) {
        pieces = n == 20 ? ingamev.piececount : pieces;
        script(n + 1, {{2, 40, key::rotright}, {2, 20, key::up}, {22, 22, key::up}});
        return n < 40;
    });
    EXPECT_EQ(std::tuple(pieces, ingamev.piececount, ingamev.rotation, count("rotate.wav")),
              std::tuple(1u, 2u, 0, 1));
}

TEST_F(Ingame, SonicDropRepeatsWhileHeldAndNeverLocks) {
    std::vector<int> lowest;
    play(7, [&](std::uint64_t n) {
        lowest.push_back(*std::min_element(ingamev.piecey, ingamev.piecey + 4));
        std::memset(ingamev.board[10], n == 1, 10); // a shelf for the first drop only
        script(n + 1, {{2, 99, key::up}});
        return n < 3;
    });
    EXPECT_EQ(lowest, (std::vector{24, 11, 0}));
    EXPECT_EQ(ingamev.active, 1);
    EXPECT_EQ(count("lock.wav"), 0);
}

TEST_F(Ingame, TimedModeIsWonOnItsLastUnpausedFrame) {
    std::uint64_t won = 0;
    headless::press(key::pause);
    play(2, [&](std::uint64_t n) {
        if (n > 100 && n <= 300) {
            EXPECT_EQ(ingamev.frames, 100u);
        }
        won = ingamev.over && !won ? n : won;
        // The pause key still held from the menu does not pause the new game.
        script(n + 1, {{1, 3, key::pause}, {101, 101, key::pause}, {301, 301, key::pause}});
        return !won && n < 8000;
    });
    EXPECT_EQ(std::pair(won, ingamev.frames), std::pair(std::uint64_t{7400}, std::uint64_t{7200}));
    std::string end;
    for (int c = 36; c <= 43; c++)
        end += static_cast<char>(headless::display()[24 * 80 + c].ch);
    EXPECT_EQ(end, "YOU WIN!");
}

TEST_F(Ingame, AfterTheEndPauseAloneStaysAndHoldWithPauseLeaves) {
    std::uint64_t over = 0;
    bool left = play(1, [&](std::uint64_t n) {
        over = ingamev.over && !over ? n : over;
        if (!over)
            script(n + 1, {{n + 1, n % 2 ? n + 1 : 0, key::up}});
        else
            script(n + 1, {{over + 2, over + 2, key::pause},
                           {over + 6, over + 10, key::hold},
                           {over + 10, over + 10, key::pause}});
        return n < (over ? over + 12 : 2000);
    });
    EXPECT_TRUE(left);
    EXPECT_EQ(std::pair(count("gameover.wav"), count("pause.wav")), std::pair(1L, 1L));
}

TEST(Dispatcher, NumbersThatNameNoScreenEndTheProgram) {
    EXPECT_EQ(runscreen(0) + runscreen(12) + runscreen(255), 0);
}

// Whole games of every mode under random key states, with the game record checked every frame.
#include "console/platform.h"
#include "gamefixture.h"

#include <cstdio>
#include <cstdlib>
#include <random>

// The cells a piece occupies right after it has been dealt or taken from the hold slot.
static bool atspawn() {
    int p = ingamev.current;
    int k = (p == 2 || p == 3) ? 1 : 0;
    for (int i = 0; i < 4; i++) {
        int dx = ingamev.shapes[p][i][0], dy = ingamev.shapes[p][i][1];
        int x = ingamev.ars ? 5 - k - dx : 5 + dx;
        int y = ingamev.ars ? 25 - k - dy : 24 + k + dy;
        if (ingamev.piecex[i] != x || ingamev.piecey[i] != y)
            return false;
    }
    return true;
}

static void checkrecord() {
    if (ingamev.active) {
        bool overlaps = false;
        for (int i = 0; i < 4; i++) {
            ASSERT_LE(ingamev.piecex[i], 9);
            ASSERT_LE(ingamev.piecey[i], 27);
            overlaps = overlaps || ingamev.board[ingamev.piecey[i]][ingamev.piecex[i]] != 0;
        }
        ASSERT_TRUE(!overlaps || atspawn()) << "a moved piece overlaps locked cells";
    } else {
        for (int i = 0; i < 4; i++) {
            ASSERT_EQ(ingamev.piecey[i], 255);
            ASSERT_EQ(ingamev.ghosty[i], 255);
        }
    }
    ASSERT_LE(ingamev.current, 6);
    ASSERT_TRUE(ingamev.hold == 255 || ingamev.hold <= 6);
    ASSERT_GE(ingamev.queuecount, 6);
    ASSERT_LE(ingamev.queuecount, ingamev.ars ? 6 : 12);
    for (int i = 0; i < ingamev.queuecount; i++)
        ASSERT_LE(ingamev.queue[i], 6);
    ASSERT_GE(ingamev.label, 1);
    ASSERT_LE(ingamev.label, 12);
    for (auto& row : ingamev.board)
        for (auto c : row)
            ASSERT_LE(c, 7);
}

class Soak : public GameTest, public ::testing::WithParamInterface<int> {};

TEST_P(Soak, RandomKeysKeepTheRecordSound) {
    // Sanitizer builds may ask for fewer frames through the environment.
    const char* asked = std::getenv("DROPPLE_SOAK_FRAMES");
    const std::uint64_t total = asked ? std::strtoull(asked, nullptr, 10) : 100000;
    const unsigned char codes[8] = {key::up,       key::down,    key::left,  key::right,
                                    key::rotright, key::rotleft, key::pause, key::hold};
    std::mt19937 rng(static_cast<unsigned>(GetParam()));
    std::uint64_t frames = 0, played = 0, games = 0, score = 0, lines = 0, helped = ~0ull;
    headless::onframe([&](std::uint64_t) {
        frames++;
        if (frames % 4096 == 0)
            headless::clearrecords();
        checkrecord();
        if (::testing::Test::HasFatalFailure() || frames >= total)
            throw stopgame{};
        ASSERT_GE(ingamev.score, score);
        score = ingamev.score;
        if (ingamev.labeltimer == 120)
            lines += ingamev.cleared;
        if (!ingamev.paused && !ingamev.over)
            played++;
        if (ingamev.active && ingamev.onground && ingamev.piececount != helped && rng() % 3 == 0) {
            // Random keys seldom complete a row: now and then fill the rows of a resting piece
            // around it, so that its lock clears them.
            helped = ingamev.piececount;
            for (int i = 0; i < 4; i++)
                for (int x = 0; x < 10 && ingamev.piecey[i] < 20; x++) {
                    bool piece = false;
                    for (int j = 0; j < 4; j++)
                        piece = piece ||
                                (ingamev.piecex[j] == x && ingamev.piecey[j] == ingamev.piecey[i]);
                    auto& c = ingamev.board[ingamev.piecey[i]][x];
                    if (!piece && c == 0)
                        c = static_cast<std::uint8_t>(1 + rng() % 7);
                }
        }
        for (int k = 0; k < 8; k++) {
            // Keys flip now and then, so presses, holds and releases all occur; the pause key is
            // pressed rarely and let go at once, and after the end the game is left soon.
            bool down = keydown(codes[k]);
            unsigned odds = 6;
            if (k <= 1) // drops in short presses, so pieces also travel and stack unevenly
                odds = down ? 2 : 30;
            if (k == 6)
                odds = down ? 2 : ingamev.over ? 4 : ingamev.paused ? 30 : 3000;
            if (rng() % odds == 0)
                down ? headless::release(codes[k]) : headless::press(codes[k]);
        }
    });
    try {
        for (;;) {
            score = 0;
            games++;
            ASSERT_EQ(ingame(static_cast<unsigned char>(GetParam())), 3);
        }
    } catch (stopgame&) {
    }
    RecordProperty("games", static_cast<int>(games));
    RecordProperty("played", static_cast<int>(played));
    std::printf("mode %d: %llu games, %llu lines, %llu of %llu frames in play\n", GetParam(),
                (unsigned long long)games, (unsigned long long)lines, (unsigned long long)played,
                (unsigned long long)frames);
}

INSTANTIATE_TEST_SUITE_P(EveryMode, Soak, ::testing::Range(0, 9));

// Whole games of every mode under random key states, with the game record checked every frame.
#include "console/platform.h"
#include "game.h"

#include <cstdio>
#include <cstdlib>
#include <random>

// Whether the piece is where it was dealt or taken from the hold slot.
static bool atspawn() {
    auto& g = ingamev;
    int p = g.current, k = (p == 2 || p == 3) ? 1 : 0;
    bool at = true;
    for (int i = 0; i < 4; i++) {
        int dx = g.shapes[p][i][0], dy = g.shapes[p][i][1];
        at = at && g.piecex[i] == (g.ars ? 5 - k - dx : 5 + dx) &&
             g.piecey[i] == (g.ars ? 25 - k - dy : 24 + k + dy);
    }
    return at;
}

static void checkrecord() {
    auto& g = ingamev;
    bool overlaps = false;
    for (int i = 0; i < 4; i++) {
        if (!g.active) {
            ASSERT_TRUE(g.piecey[i] == 255 && g.ghosty[i] == 255);
            continue;
        }
        ASSERT_LE(g.piecex[i], 9);
        ASSERT_LE(g.piecey[i], 27);
        overlaps = overlaps || g.board[g.piecey[i]][g.piecex[i]] != 0;
    }
    ASSERT_TRUE(!overlaps || atspawn()) << "a moved piece overlaps locked cells";
    ASSERT_TRUE(g.current <= 6 && (g.hold == 255 || g.hold <= 6));
    ASSERT_TRUE(g.queuecount >= 6 && g.queuecount <= (g.ars ? 6 : 12));
    ASSERT_LE(*std::max_element(g.queue, g.queue + g.queuecount), 6);
    ASSERT_TRUE(g.label >= 1 && g.label <= 12);
    ASSERT_LE(*std::max_element(&g.board[0][0], &g.board[0][0] + sizeof g.board), 7);
}

// Random keys seldom complete a row: this fills the rows of a resting piece around it, so that its
// lock clears them.
static void fillrows(std::mt19937& rng) {
    auto& g = ingamev;
    for (int i = 0; i < 4; i++)
        for (int x = 0; x < 10 && g.piecey[i] < 20; x++) {
            int j = 0;
            while (j < 4 && !(g.piecex[j] == x && g.piecey[j] == g.piecey[i]))
                j++;
            if (j == 4 && g.board[g.piecey[i]][x] == 0)
                g.board[g.piecey[i]][x] = static_cast<std::uint8_t>(1 + rng() % 7);
        }
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
        auto& g = ingamev;
        if (++frames % 4096 == 0)
            headless::clearrecords();
        checkrecord();
        if (HasFatalFailure() || frames >= total)
            throw stopgame{};
        ASSERT_GE(g.score, score);
        score = g.score;
        lines += g.labeltimer == 120 ? g.cleared : 0;
        played += !g.paused && !g.over;
        if (g.active && g.onground && g.piececount != helped && rng() % 3 == 0) {
            helped = g.piececount;
            fillrows(rng);
        }
        // Keys flip now and then, so presses, holds and releases all occur. Drops come in short
        // presses, so pieces also travel and stack unevenly; pause is pressed rarely and let go at
        // once, and after the end the game is left soon.
        for (int k = 0; k < 8; k++) {
            bool down = keydown(codes[k]);
            unsigned odds = k <= 1   ? (down ? 2 : 30)
                            : k == 6 ? (down       ? 2
                                        : g.over   ? 4
                                        : g.paused ? 30
                                                   : 3000)
                                     : 6;
            if (rng() % odds == 0)
                down ? headless::release(codes[k]) : headless::press(codes[k]);
        }
    });
    try {
        for (;; games++) {
            score = 0;
            ASSERT_EQ(ingame(GetParam()), 3);
        }
    } catch (stopgame&) {
    }
    std::printf("mode %d: %llu games, %llu lines, %llu of %llu frames in play\n", GetParam(),
                (unsigned long long)games + 1, (unsigned long long)lines,
                (unsigned long long)played, (unsigned long long)frames);
}

INSTANTIATE_TEST_SUITE_P(EveryMode, Soak, ::testing::Range(0, 9));

// Piece supply, locking, the start of a game and the mode rules on the game's record. The reference
// random numbers were computed outside the game, from the published SplitMix64 and xoshiro128++
// definitions.
#include "console/screen.h"
#include "newgame.h"
#include "shell/random.h"
#include "shell/shell.h"
#include "shell/supply.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <tuple>
#include <vector>

using bag = std::array<std::uint8_t, 7>;
using cells = std::pair<std::array<std::uint16_t, 4>, std::array<std::uint16_t, 4>>; // x, y
using numbers = std::vector<std::uint32_t>;

TEST(Random, SeedsAndTheStartUpClockFollowTheReference) {
    std::vector<numbers> got;
    for (std::int32_t clock : {1765000000, -86400}) { // a clock before 1970 is sign-extended
        headless::reset();
        headless::setwallclock(clock);
        initscreen();
        got.push_back({next(), next(), next()});
    }
    EXPECT_EQ(got, (std::vector<numbers>{{0x88c3d55b, 0x9e4e8974, 0xa29d4f0c},
                                         {0x112092f5, 0xd40c83d2, 0xf2ebc1e6}}));
}

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

// Both rule sets open with I, L, J or T; bags are complete. The first SRS bag, if it opens badly,
// is reshuffled as it stands.
TEST(Supply, GamesOpenWithILJOrTAndBagsAreComplete) {
    for (unsigned s = 0; s < 600; s++) {
        seed(s / 2);
        newgame(s % 2 ? 7 : 1);
        bag seen{};
        seen[ingamev.current]++;
        ASSERT_GE(ingamev.current, 3) << "seed " << s / 2;
        for (int i = 1; i < 21; i++, seen[ingamev.current]++)
            spawn(false);
        ASSERT_TRUE(s % 2 || seen == (bag{3, 3, 3, 3, 3, 3, 3}));
    }
    unsigned s = 0;
    std::uint32_t r1 = 0, r2 = 0;
    while (shuffled(r1)[0] >= 3 || shuffled(r2, shuffled(r1))[0] < 3 ||
           shuffled(r2, shuffled(r1)) == shuffled(r2))
        seed(++s), r1 = next(), r2 = next();
    seed(s);
    newgame(1);
    EXPECT_EQ(ingamev.current, shuffled(r2, shuffled(r1))[0]);
}

// The history randomiser's first deal and the refills after it, worked out by hand from the
// reference numbers of seed 1: the opener and a history of S, S, Z and the opener, then the history
// of the last four in the queue.
TEST(Supply, TheSecondRuleSetDealsFromItsHistory) {
    seed(1);
    newgame(7);
    std::vector<int> dealt{ingamev.current};
    dealt.insert(dealt.end(), ingamev.queue, ingamev.queue + 6);
    for (int i = 0; i < 6; i++) {
        spawn(false);
        dealt.push_back(ingamev.queue[5]);
    }
    EXPECT_EQ(dealt, (std::vector<int>{6, 4, 5, 0, 1, 0, 3, 6, 5, 1, 5, 3, 2}));
}

// A T is dealt with an I next; hold puts the T away and deals the I, then swaps them back to
// where the T was dealt.
TEST(Supply, SpawnPositionsAndHoldFromAnEmptyAndAFullSlot) {
    auto& g = ingamev;
    auto piece = [&] { return cells(std::to_array(g.piecex), std::to_array(g.piecey)); };
    for (bool ars : {false, true}) {
        // Under ARS the T points down, and the I sits off its reference point.
        cells t =
            ars ? cells{{5, 6, 4, 5}, {25, 25, 25, 24}} : cells{{5, 4, 6, 5}, {24, 24, 24, 25}};
        cells i =
            ars ? cells{{4, 5, 6, 3}, {24, 24, 24, 24}} : cells{{5, 4, 3, 6}, {25, 25, 25, 25}};
        newgame(ars ? 7 : 1);
        const std::uint8_t q[] = {6, 3, 4, 5, 0, 1, 2, 6};
        std::copy(q, q + 8, g.queue);
        g.queuecount = 8;
        spawn(false);
        g.holdused = 1;
        hold();
        EXPECT_EQ(std::tuple(piece(), g.hold, g.current, g.holdused, g.queuecount, g.rotation,
                             g.pivoty, g.resetlimit, g.resetsleft),
                  std::tuple(i, 6, 3, 1, 6, ars ? 2 : 0, 25, ars ? 25 : 5, ars ? 0 : 5));
        g.justspawned = 0, g.locktimer = 3;
        g.resetlimit = 12; // modes 7 and 8: the lowest row the last piece reached
        hold();
        EXPECT_EQ(std::tuple(piece(), g.hold, g.current, g.queuecount, g.locktimer, g.resetlimit),
                  std::tuple(t, 3, 6, 6, 30, 12));
        EXPECT_EQ(heard(), "piece0.wav initialhold.wav piece1.wav hold.wav piece1.wav");
    }
}

// Every piece, as it becomes the next one, is announced by its own sound.
TEST(Supply, EachNextPieceHasItsSound) {
    const char* const want[7] = {"piece6.wav", "piece3.wav", "piece2.wav", "piece0.wav",
                                 "piece1.wav", "piece5.wav", "piece4.wav"}; // S Z O I L J T
    for (std::uint8_t p = 0; p < 7; p++) {
        newgame(1);
        const std::uint8_t q[] = {6, p, 0, 1, 2, 3, 4, 5, 6, 0, 1, 2};
        std::copy(q, q + 12, ingamev.queue);
        ingamev.queuecount = 12;
        spawn(false);
        EXPECT_EQ(heard(), want[p]) << "piece " << +p;
    }
}

// Whatever a game left in the record, the next game starts as a game started on a cleared one.
TEST(Start, ANewGameKeepsNothingOfTheLastOne) {
    auto& g = ingamev;
    auto fill = [&](int v) {
        for (auto* f : {&g.lines, &g.level, &g.score, &g.piececount, &g.frames})
            *f = v * 0x0101010101010101u;
        for (auto* f : {&g.gravity, &g.gravitysum, &g.b2b, &g.combo})
            *f = v * 0x01010101u;
        for (auto* f : {&g.are, &g.lockdelay, &g.locktimer, &g.pivotx, &g.pivoty})
            *f = static_cast<std::uint16_t>(v * 0x0101);
        for (auto* f :
             {&g.paused, &g.active, &g.justspawned, &g.rotation, &g.resetlimit, &g.resetsleft,
              &g.queuecount, &g.current, &g.holdused, &g.hold, &g.onground, &g.lastrotate, &g.over,
              &g.cleared, &g.label, &g.labelcombo, &g.labeltimer, &g.mode, &g.ars})
            *f = static_cast<std::uint8_t>(v);
        std::memset(g.board, v, sizeof g.board), std::memset(g.queue, v, sizeof g.queue);
        std::memset(g.piecex, v, sizeof g.piecex), std::memset(g.piecey, v, sizeof g.piecey);
        std::memset(g.ghosty, v, sizeof g.ghosty);
    };
    auto start = [&](unsigned char mode, int left) {
        fill(left);
        seed(mode);
        gamesetup(mode);
        std::fill(g.queue + g.queuecount, std::end(g.queue), 0); // never dealt from
        return std::string(reinterpret_cast<const char*>(&g), sizeof g);
    };
    for (unsigned char mode = 0; mode < 9; mode++)
        EXPECT_EQ(start(mode, 0), start(mode, 0x5A)) << "mode " << +mode;
}

// Piece `p` with cell 0 in row `lowest`, the other three in row 20, side by side from column x0.
static void place(std::uint8_t p, std::uint16_t lowest, std::uint16_t x0) {
    ingamev.current = p, ingamev.active = 1;
    for (std::uint16_t i = 0; i < 4; i++)
        ingamev.piecex[i] = x0 + i, ingamev.piecey[i] = i ? 20 : lowest, ingamev.ghosty[i] = 3;
}

TEST(Lock, OneCellInTheFieldKeepsTheGameGoing) {
    auto& g = ingamev;
    newgame(5);
    place(6, 19, 2);
    g.lastrotate = 1;
    g.board[18][1] = g.board[18][3] = 1; // with the piece's own cell, a T-spin
    lock();
    EXPECT_EQ(std::tuple(g.over, g.active, g.board[19][2], g.board[20][5], heard(),
                         std::count(g.piecey, g.piecey + 4, 255) +
                             std::count(g.ghosty, g.ghosty + 4, 255)),
              std::tuple(0, 0, 7, 7, "lock.wav combo0.wav tspin0.wav", 8));
    lock(); // again, with no piece in play: nothing is written through rows of 255
    EXPECT_EQ(g.piececount, 2u);
}

// Mode 1 at 39 lines: an I that locks wholly above the field and completes row 20 tops out, and
// its line still counts and wins.
TEST(Lock, TopOutAndWinInOneLockStillClearAndShowBothEndings) {
    auto* bottom = &screen[24 * screencols];
    newgame(1);
    ingamev.lines = 39;
    ingamev.board[0][0] = 1;
    std::memset(ingamev.board[20], 1, 6);
    std::fill_n(bottom, screencols, cell{' ', 0x1f});
    place(3, 20, 6);
    lock();
    std::string text;
    for (int c = 34; c <= 45; c++)
        text += static_cast<char>(bottom[c].ch);
    EXPECT_EQ(std::tuple(heard(), text, bottom[35].attr, ingamev.score, ingamev.board[20][9]),
              std::tuple("lock.wav gameover.wav combo0.wav erase1.wav excellent.wav",
                         " GYOU WIN!! ", 0x1f, 100u, 0));
}

// The level tables as the game's rules give them, row by row.
constexpr std::uint32_t gravitytable[17] = {4,  5,  7,   9,   12,  16,  21,   32,  43,
                                            64, 85, 128, 256, 465, 731, 1280, 1707};
constexpr std::uint32_t lockdelays[61] = {
    30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 27,
    24, 22, 20, 18, 16, 15, 14, 13, 12, 11, 10, 10, 9,  9,  8,  8,  7,  7,  6,  6,  6,
    5,  5,  5,  4,  4,  4,  4,  3,  3,  3,  3,  3,  2,  2,  2,  2,  2,  2,  1};

// Modes 0, 4 and 6 one line short of each tenth and at it: the level, the gravity of its row (mode
// 4 keeps row 20 from 200 lines on) and in mode 6 the lock delay, which from 610 lines is the last
// row's; mode 0 is won at 200 lines, mode 1 at 40.
TEST(Modes, LevelsByLinesFollowTheirTablesRowByRow) {
    for (unsigned char mode : {0, 4, 6})
        for (int q = 1; q <= (mode ? 70 : 20); q++)
            for (bool up : {false, true}) {
                newgame(mode);
                ingamev.lines = 10u * q - !up, ingamev.level = q, ingamev.cleared = 1;
                moderule();
                const int row = mode == 4 ? std::min(q, 19) : mode == 6 && q > 60 ? 60 : q;
                ASSERT_EQ(std::tuple(ingamev.level, ingamev.gravity, ingamev.lockdelay, heard()),
                          std::tuple(q + up * 1u,
                                     !up        ? 4
                                     : row < 17 ? gravitytable[row]
                                                : instant,
                                     up && mode == 6 ? lockdelays[row] : 30,
                                     !up                ? ""
                                     : q == 20 && !mode ? "excellent.wav levelup.wav"
                                                        : "levelup.wav"))
                    << "mode " << +mode << " at " << ingamev.lines << " lines";
            }
    for (std::uint64_t lines : {39, 40}) {
        newgame(1);
        ingamev.lines = lines, ingamev.cleared = 1;
        moderule();
        EXPECT_EQ(std::tuple(ingamev.level, ingamev.gravity, ingamev.over, heard()),
                  std::tuple(1u, 4u, lines == 40, lines == 40 ? "excellent.wav" : ""));
    }
}

// Modes 7 and 8 at every level, with no line, one or four: the level stops before each hundred and
// at 998 until a line is cleared, a new hundred sounds and 999 wins; mode 7's gravity curve and
// both modes' delays.
TEST(Modes, Dropple5LevelsStopAndFollowTheirTablesAtEveryLevel) {
    const std::pair<int, std::uint32_t> curve[] = {
        {0, 4},      {8, 5},     {19, 6},       {35, 8},    {40, 10},   {50, 12},    {60, 16},
        {70, 32},    {80, 48},   {90, 64},      {100, 80},  {120, 96},  {140, 112},  {160, 128},
        {170, 144},  {200, 4},   {220, 32},     {230, 64},  {233, 96},  {236, 128},  {239, 160},
        {243, 192},  {247, 224}, {251, 256},    {300, 512}, {330, 768}, {360, 1024}, {400, 1280},
        {420, 1024}, {450, 768}, {500, instant}};
    using delays = std::tuple<int, int, int>; // from level, spawn delay, lock delay
    const std::vector<delays> modedelays[2] = {
        {{0, 25, 30}, {700, 16, 30}, {800, 12, 30}, {900, 12, 17}},
        {{0, 16, 30}, {100, 12, 26}, {200, 12, 22}, {300, 6, 18}, {400, 5, 15}, {500, 4, 15}}};
    auto rowfor = [](const auto& table, int level) {
        auto found = *std::begin(table);
        for (const auto& r : table)
            if (level >= std::get<0>(r))
                found = r;
        return found;
    };
    for (unsigned char mode : {7, 8})
        for (int level = 0; level <= 998; level++)
            for (std::uint8_t cleared : {0, 1, 4}) {
                newgame(mode);
                ingamev.level = level, ingamev.cleared = cleared, ingamev.lines = cleared;
                moderule();
                const bool stop = level % 100 == 99 || level == 998;
                const int now = std::min(level + !stop + cleared, 999);
                const auto [from, are, lockdelay] = rowfor(modedelays[mode - 7], now);
                const char* sound = now == 999                ? "excellent.wav"
                                    : now / 100 > level / 100 ? "levelup.wav"
                                                              : "";
                ASSERT_EQ(std::tuple(ingamev.level, ingamev.gravity, ingamev.are, ingamev.lockdelay,
                                     ingamev.over, heard()),
                          std::tuple(std::uint64_t(now),
                                     mode == 7 ? rowfor(curve, now).second : instant, are,
                                     lockdelay, now == 999, sound))
                    << "mode " << +mode << " level " << level << " cleared " << +cleared;
            }
}

#include "console/screen.h"
#include "newgame.h"
#include "shell/shell.h"

#include <gtest/gtest.h>

#include <tuple>

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

// The mode rule after one lock: the state before it, the lines the lock cleared, and what the
// rule must leave. Gravity starts at 4, the spawn delay at 0 and the lock delay at 30.
TEST(Modes, EachModeRaisesItsLevelSpeedsUpAndWinsByItsOwnRule) {
    constexpr std::uint32_t inst = instant;
    struct lockin {
        std::uint64_t mode, lines, level, n, newlevel, gravity, are, lockdelay;
        std::string sounds;
    };
    const lockin locks[] = {
        {7, 0, 0, 0, 1, 4, 25, 30, ""},
        {7, 0, 99, 0, 99, 64, 25, 30, ""},
        {7, 0, 99, 1, 100, 80, 25, 30, "levelup.wav"},
        {7, 0, 198, 1, 200, 4, 25, 30, "levelup.wav"},
        {7, 0, 698, 2, 701, inst, 16, 30, "levelup.wav"},
        {7, 0, 899, 1, 900, inst, 12, 17, "levelup.wav"},
        {7, 0, 998, 0, 998, inst, 12, 17, ""},
        {7, 0, 998, 1, 999, inst, 12, 17, "excellent.wav"},
        {8, 0, 99, 0, 99, inst, 16, 30, ""},
        {8, 0, 99, 1, 100, inst, 12, 26, "levelup.wav"},
        {8, 0, 396, 4, 401, inst, 5, 15, "levelup.wav"},
        {8, 0, 996, 4, 999, inst, 4, 15, "excellent.wav"},
        {6, 18, 2, 1, 2, 4, 0, 30, ""}, // no new level: no sound, no new speeds
        {6, 19, 2, 1, 3, 7, 0, 30, "levelup.wav"},
        {6, 608, 61, 2, 62, inst, 0, 1, "levelup.wav"},
        {0, 9, 1, 1, 2, 5, 0, 30, "levelup.wav"},
        {0, 198, 20, 2, 21, inst, 0, 30, "excellent.wav levelup.wav"},
        {4, 39, 4, 1, 5, 12, 0, 30, "levelup.wav"},
        {4, 99996, 21, 4, 10001, inst, 0, 30, "levelup.wav"},
        {1, 36, 1, 3, 1, 4, 0, 30, ""},
        {1, 39, 1, 1, 1, 4, 0, 30, "excellent.wav"},
        {5, 199, 1, 1, 1, 4, 0, 30, ""},
    };
    for (const lockin& l : locks) {
        SCOPED_TRACE(testing::Message() << "mode " << l.mode << " level " << l.level);
        newgame(static_cast<unsigned char>(l.mode));
        ingamev.lines = l.lines + l.n, ingamev.level = l.level, ingamev.cleared = l.n;
        ingamev.gravity = 4, ingamev.are = 0, ingamev.lockdelay = 30;
        moderule();
        EXPECT_EQ(std::tuple(ingamev.level, ingamev.gravity, ingamev.are, ingamev.lockdelay,
                             heard(), ingamev.over),
                  std::tuple(l.newlevel, l.gravity, l.are, l.lockdelay, l.sounds,
                             l.sounds.starts_with("excellent")));
    }
}

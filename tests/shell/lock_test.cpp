#include "game.h"

#include <tuple>

// Cell 0 in row `lowest`, the other three in row 20, side by side from column x0.
static void place(std::uint8_t piece, std::uint16_t lowest, std::uint16_t x0) {
    ingamev.current = piece;
    ingamev.active = 1;
    for (std::uint16_t i = 0; i < 4; i++) {
        ingamev.piecex[i] = x0 + i;
        ingamev.piecey[i] = i ? 20 : lowest;
        ingamev.ghosty[i] = 3;
    }
}

TEST(Lock, OneCellInTheFieldKeepsTheGameGoing) {
    auto& g = ingamev;
    newgame(5);
    place(6, 19, 2);
    g.lastrotate = 1;
    g.board[18][1] = g.board[18][3] = 1; // with the piece's own cell, a T-spin
    lock();
    EXPECT_EQ(std::tuple(g.over, g.active, g.board[19][2], g.board[20][5], heard()),
              std::tuple(0, 0, 7, 7, "lock.wav combo0.wav tspin0.wav"));
    for (int i = 0; i < 4; i++)
        EXPECT_EQ(g.piecey[i] & g.ghosty[i], 255);
    lock(); // again, with no piece in play: nothing is written through rows of 255
    EXPECT_EQ(g.piececount, 2u);
}

// Mode 1 at 39 lines: an I that locks wholly above the field and completes row 20 tops out, and
// its line still counts and wins.
TEST(Lock, TopOutAndWinInOneLockStillClearAndShowBothEndings) {
    newgame(1);
    ingamev.lines = 39;
    ingamev.board[0][0] = 1;
    std::memset(ingamev.board[20], 1, 6);
    for (int c = 0; c < screencols; c++)
        screen[24 * screencols + c] = {' ', 0x1f};
    place(3, 20, 6);
    lock();
    EXPECT_EQ(heard(), "lock.wav gameover.wav combo0.wav erase1.wav excellent.wav");
    std::string bottom;
    for (int c = 34; c <= 45; c++)
        bottom += static_cast<char>(screen[24 * screencols + c].ch);
    EXPECT_EQ(
        std::tuple(bottom, screen[24 * screencols + 35].attr, ingamev.score, ingamev.board[20][9]),
        std::tuple(" GYOU WIN!! ", 0x1f, 100u, 0));
}

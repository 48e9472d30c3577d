#include "console/screen.h"
#include "newgame.h"
#include "shell/shell.h"

#include <gtest/gtest.h>

namespace {

// Cell 0 in row `lowest`, the other three in row 20, side by side from column x0.
void place(std::uint8_t piece, std::uint16_t lowest, std::uint16_t x0) {
    ingamev.current = piece;
    ingamev.active = 1;
    for (std::uint16_t i = 0; i < 4; i++) {
        ingamev.piecex[i] = x0 + i;
        ingamev.piecey[i] = i ? 20 : lowest;
        ingamev.ghosty[i] = 3;
    }
}

TEST(Lock, OneCellInTheFieldKeepsTheGameGoing) {
    newgame(5);
    place(6, 19, 2);
    ingamev.lastrotate = 1;
    ingamev.board[18][1] = ingamev.board[18][3] = 1; // with the piece's own cell, a T-spin
    lock();
    EXPECT_EQ(ingamev.over, 0);
    EXPECT_EQ(heard(), "lock.wav combo0.wav tspin0.wav");
    EXPECT_EQ(ingamev.board[19][2], 7);
    EXPECT_EQ(ingamev.board[20][5], 7);
    EXPECT_EQ(ingamev.active, 0);
    for (int i = 0; i < 4; i++)
        EXPECT_EQ(ingamev.piecey[i] & ingamev.ghosty[i], 255);
    lock(); // again, with no piece in play: nothing is written through rows of 255
    EXPECT_EQ(ingamev.piececount, 2u);
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
    EXPECT_EQ(bottom, " GYOU WIN!! ");
    EXPECT_EQ(screen[24 * screencols + 35].attr, 0x1f);
    EXPECT_EQ(ingamev.score, 100u);
    EXPECT_EQ(ingamev.board[20][9], 0);
}

} // namespace

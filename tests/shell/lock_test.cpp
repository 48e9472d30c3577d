#include "console/screen.h"
#include "newgame.h"
#include "shell/shell.h"

#include <gtest/gtest.h>

namespace {

void place(std::uint8_t piece, const unsigned short (&x)[4], const unsigned short (&y)[4]) {
    ingamev.current = piece;
    ingamev.active = 1;
    for (int i = 0; i < 4; i++) {
        ingamev.piecex[i] = x[i];
        ingamev.piecey[i] = y[i];
        ingamev.ghosty[i] = 3;
    }
}

std::string bottomline(int from, int to) {
    std::string s;
    for (int c = from; c <= to; c++)
        s += static_cast<char>(screen[24 * screencols + c].ch);
    return s;
}

void blankbottom() {
    for (int c = 0; c < screencols; c++)
        screen[24 * screencols + c] = {' ', 0x1f};
}

TEST(Lock, APieceWhollyAboveTheFieldTopsOutButStillLocks) {
    newgame(5);
    blankbottom();
    ingamev.board[0][0] = 1;
    place(3, {4, 3, 2, 5}, {20, 20, 20, 20});
    lock();
    EXPECT_EQ(ingamev.over, 1);
    EXPECT_EQ(ingamev.active, 0);
    EXPECT_EQ(heard(), "lock.wav gameover.wav");
    EXPECT_EQ(bottomline(35, 44), "GAME OVER!");
    EXPECT_EQ(screen[24 * screencols + 35].attr, 0x1f);
    for (int x = 2; x <= 5; x++)
        EXPECT_EQ(ingamev.board[20][x], 4);
    for (int i = 0; i < 4; i++) {
        EXPECT_EQ(ingamev.piecey[i], 255);
        EXPECT_EQ(ingamev.ghosty[i], 255);
    }
    EXPECT_EQ(ingamev.piececount, 1u);
}

TEST(Lock, OneCellInTheVisibleFieldKeepsTheGameGoing) {
    newgame(5);
    place(6, {4, 3, 5, 4}, {20, 20, 20, 19});
    lock();
    EXPECT_EQ(ingamev.over, 0);
    EXPECT_EQ(heard(), "lock.wav");
    EXPECT_EQ(ingamev.board[19][4], 7);
}

TEST(Lock, TopOutAndWinInOneLockShowBothEndings) {
    newgame(1);
    blankbottom();
    ingamev.lines = 39;
    ingamev.board[0][0] = 1;
    fillrow(20);
    for (int x = 2; x <= 5; x++)
        ingamev.board[20][x] = 0;
    place(3, {4, 3, 2, 5}, {20, 20, 20, 20});
    lock();
    EXPECT_EQ(heard(), "lock.wav gameover.wav combo0.wav erase1.wav excellent.wav");
    EXPECT_EQ(bottomline(35, 44), "GYOU WIN!!");
    EXPECT_EQ(ingamev.lines, 40u);
    EXPECT_EQ(ingamev.score, 100u);
    EXPECT_EQ(ingamev.over, 1);
}

TEST(Lock, ALockedPieceLeavesNothingBehindOffTheBoard) {
    newgame(5);
    place(2, {0, 1, 0, 1}, {0, 0, 1, 1});
    lock();
    // Locking again without a new piece must not write through rows of 255.
    lock();
    EXPECT_EQ(ingamev.board[0][0], 3);
    EXPECT_EQ(ingamev.piececount, 2u);
}

} // namespace

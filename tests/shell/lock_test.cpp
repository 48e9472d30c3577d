#include "console/screen.h"
#include "newgame.h"
#include "shell/shell.h"

#include <gtest/gtest.h>

namespace {

void place(std::uint8_t piece, std::uint16_t lowest, std::uint16_t x0) {
    ingamev.current = piece;
    ingamev.active = 1;
    for (std::uint16_t i = 0; i < 4; i++) {
        ingamev.piecex[i] = x0 + i;
        ingamev.piecey[i] = i ? 20 : lowest;
        ingamev.ghosty[i] = 3;
    }
}

std::string bottomline() {
    std::string s;
    for (int c = 35; c <= 44; c++)
        s += static_cast<char>(screen[24 * screencols + c].ch);
    return s;
}

TEST(Lock, OnlyAPieceWhollyAboveTheFieldTopsOut) {
    newgame(5);
    place(6, 19, 2);
    lock();
    EXPECT_EQ(ingamev.over, 0);
    EXPECT_EQ(heard(), "lock.wav");
    EXPECT_EQ(ingamev.board[19][2], 7);
    EXPECT_EQ(ingamev.active, 0);
    for (int i = 0; i < 4; i++)
        EXPECT_EQ(ingamev.piecey[i] & ingamev.ghosty[i], 255);

    for (int c = 0; c < screencols; c++)
        screen[24 * screencols + c] = {' ', 0x1f};
    headless::clearrecords();
    place(3, 20, 6);
    lock();
    EXPECT_EQ(ingamev.over, 1);
    EXPECT_EQ(heard(), "lock.wav gameover.wav");
    EXPECT_EQ(bottomline(), "GAME OVER!");
    EXPECT_EQ(screen[24 * screencols + 35].attr, 0x1f);
    EXPECT_EQ(ingamev.board[20][9], 4);
    // Locking again with no piece in play must not write through rows of 255.
    lock();
    EXPECT_EQ(ingamev.piececount, 3u);
}

TEST(Lock, TopOutAndWinInOneLockStillClearAndShowBothEndings) {
    newgame(1);
    ingamev.lines = 39;
    ingamev.board[0][0] = 1;
    std::memset(ingamev.board[20], 1, 6);
    place(3, 20, 6);
    lock();
    EXPECT_EQ(heard(), "lock.wav gameover.wav combo0.wav erase1.wav excellent.wav");
    EXPECT_EQ(bottomline(), "GYOU WIN!!");
    EXPECT_EQ(ingamev.score, 100u);
}

} // namespace

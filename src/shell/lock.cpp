#include "console/sound.h"
#include "rules/rules.h"
#include "shell/ingamev.h"
#include "shell/shell.h"

void lock() {
    auto& g = ingamev;
    playsound("lock.wav");
    g.active = 0;
    // A cell off the field (a piece already locked has rows of 255) would land outside the board.
    for (int i = 0; i < 4; i++)
        if (g.piecex[i] < boardcols && g.piecey[i] < boardrows)
            g.board[g.piecey[i]][g.piecex[i]] = static_cast<std::uint8_t>(g.current + 1);
    // Only a piece lying wholly above the visible rows tops out, however high the rest sticks out.
    bool above = true;
    for (int i = 0; i < 4; i++)
        if (g.piecey[i] < 20)
            above = false;
    if (above)
        gameover();
    unsigned short row = g.piecey[0];
    for (int i = 0; i < 4; i++) {
        g.piecey[i] = 255;
        g.ghosty[i] = 255;
    }
    // Rows still clear and score after a top-out: the last lock counts.
    linecleartest(row);
}

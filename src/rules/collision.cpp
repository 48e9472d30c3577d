#include "rules/rules.h"
#include "shell/ingamev.h"

// Rows and columns are unsigned, so a step below row 0 or right of column 0 wraps far above the
// bounds and one comparison per coordinate covers walls, floor and ceiling alike. All four cells
// are range-checked before the board is read, so it is never indexed from outside.
bool collision(unsigned short* x, unsigned short* y) {
    for (int i = 0; i < 4; i++) {
        if (y[i] > boardrows - 1 || x[i] > boardcols - 1)
            return true;
    }
    for (int i = 0; i < 4; i++) {
        if (ingamev.board[y[i]][x[i]] != 0)
            return true;
    }
    return false;
}

void onground() {
    unsigned short y[4];
    for (int i = 0; i < 4; i++)
        y[i] = static_cast<unsigned short>(ingamev.piecey[i] - 1);
    ingamev.onground = collision(ingamev.piecex, y) ? 1 : 0;
}

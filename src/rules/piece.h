// Helpers on the four cells of a piece shared by the movement and rotation files.
#pragma once

#include "console/sound.h"
#include "rules/rules.h"
#include "shell/ingamev.h"

#include <cstdint>

// Turns the four cells about cell 0, with x growing to the left and y upward.
inline void turncells(std::uint16_t* x, std::uint16_t* y, bool clockwise) {
    const std::uint16_t x0 = x[0], y0 = y[0];
    for (int i = 1; i < 4; i++) {
        const std::uint16_t dx = static_cast<std::uint16_t>(x[i] - x0);
        const std::uint16_t dy = static_cast<std::uint16_t>(y[i] - y0);
        if (clockwise) {
            x[i] = static_cast<std::uint16_t>(x0 - dy);
            y[i] = static_cast<std::uint16_t>(y0 + dx);
        } else {
            x[i] = static_cast<std::uint16_t>(x0 + dy);
            y[i] = static_cast<std::uint16_t>(y0 - dx);
        }
    }
}

// How many rows the cells can fall straight down, for cells at a free place inside the field.
// Walking each column beats re-testing the whole piece row by row; the piece's own cells are not
// on the board, so a column through two of them is read as free, as a whole-piece test would.
inline int falldistance(const std::uint16_t* x, const std::uint16_t* y) {
    int best = boardrows;
    for (int i = 0; i < 4; i++) {
        int d = 0;
        while (d < best && y[i] > d && ingamev.board[y[i] - d - 1][x[i]] == 0)
            d++;
        best = d;
    }
    return best;
}

// Tries the turned cells moved by (kx, ky); where they fit the piece takes them. The caller moves
// the pivot afterwards, so that a kick upward is not read as a new lowest row.
inline bool trykick(const std::uint16_t* x, const std::uint16_t* y, int kx, int ky) {
    unsigned short cx[4], cy[4];
    for (int i = 0; i < 4; i++) {
        cx[i] = static_cast<unsigned short>(x[i] + kx);
        cy[i] = static_cast<unsigned short>(y[i] + ky);
    }
    if (collision(cx, cy))
        return false;
    for (int i = 0; i < 4; i++) {
        ingamev.piecex[i] = cx[i];
        ingamev.piecey[i] = cy[i];
    }
    playsound(ingamev.justspawned == 1 ? "initialrotate.wav" : "rotate.wav");
    // Bookkeeping only: a turn never makes the piece fall in the same call.
    lockdelayreset(false);
    ingamev.lastrotate = 1;
    return true;
}

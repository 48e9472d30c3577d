// Helpers on the four cells of a piece shared by the movement and rotation files.
#pragma once

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

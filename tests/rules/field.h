// Rules test helpers: a fresh game record, and boards and pieces drawn as they look on screen:
// rows from the top down separated by '/', each row from the leftmost column.
#pragma once

#include "console/platform/headless.h"
#include "frontend/frontend.h"
#include "shell/ingamev.h"
#include "shell/shell.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace field {

using cellset = std::vector<std::pair<int, int>>;
using heard = std::vector<std::string>;

// A piece in play on an empty board in rotation 0, lock timer full, five refills, low gravity, no
// keys held.
inline void freshgame(bool ars = false) {
    headless::reset();
    std::memset(ingamev.board, 0, sizeof ingamev.board);
    std::memset(keys, 0, sizeof keys);
    std::memset(arrkeys, 0, sizeof arrkeys);
    ingamev.score = 0;
    ingamev.active = 1;
    ingamev.justspawned = ingamev.onground = ingamev.lastrotate = ingamev.rotation = 0;
    ingamev.gravity = 4;
    ingamev.lockdelay = ingamev.locktimer = 30;
    ingamev.resetlimit = ars ? 25 : 5;
    ingamev.resetsleft = ars ? 0 : 5;
    ingamev.ars = ars ? 1 : 0;
}

// From row `top` down: '#' is a locked cell, '0' cell 0 of the piece (the pivot goes there too)
// and '@' its other cells.
inline void setup(const std::string& rows, int top, int piece) {
    ingamev.current = static_cast<std::uint8_t>(piece);
    int y = top, x = 9, n = 1;
    for (char c : rows) {
        if (c == '/') {
            y--;
            x = 9;
            continue;
        }
        if (c == '#')
            ingamev.board[y][x] = 1;
        if (c == '0')
            ingamev.pivotx = static_cast<std::uint16_t>(x),
            ingamev.pivoty = static_cast<std::uint16_t>(y);
        if (c == '0' || c == '@') {
            const int i = c == '0' ? 0 : n++;
            ingamev.piecex[i] = static_cast<std::uint16_t>(x);
            ingamev.piecey[i] = static_cast<std::uint16_t>(y);
        }
        x--;
    }
}

// Rows top to bottom with '#' for locked cells and '@' for the piece.
inline std::string show(int top, int bottom) {
    std::string out;
    for (int y = top; y >= bottom; y--) {
        for (int x = 9; x >= 0; x--) {
            bool piece = false;
            for (int i = 0; i < 4; i++)
                piece |= ingamev.piecex[i] == x && ingamev.piecey[i] == y;
            out += piece ? '@' : ingamev.board[y][x] != 0 ? '#' : '.';
        }
        out += y > bottom ? "/" : "";
    }
    return out;
}

// Places a piece the way its rotation system deals it, with the pivot at (px, py) instead of the
// spawn point.
inline void deal(int piece, int px, int py) {
    const bool ars = ingamev.ars != 0;
    const int a = ars && (piece == 2 || piece == 3) ? 1 : 0;
    ingamev.current = static_cast<std::uint8_t>(piece);
    ingamev.rotation = ars ? 2 : 0;
    for (int i = 0; i < 4; i++) {
        const int dx = ingamev.shapes[piece][i][0], dy = ingamev.shapes[piece][i][1];
        ingamev.piecex[i] = static_cast<std::uint16_t>(ars ? px - a - dx : px + dx);
        ingamev.piecey[i] = static_cast<std::uint16_t>(ars ? py - a - dy : py + dy);
    }
    ingamev.pivotx = static_cast<std::uint16_t>(px);
    ingamev.pivoty = static_cast<std::uint16_t>(py);
}

inline cellset cells() {
    cellset out;
    for (int i = 0; i < 4; i++)
        out.emplace_back(ingamev.piecex[i], ingamev.piecey[i]);
    std::sort(out.begin(), out.end());
    return out;
}

} // namespace field

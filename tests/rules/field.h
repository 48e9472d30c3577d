// Rules test helpers. Pictures show rows from `top` down, separated by '/', each from the leftmost
// column: '#' a locked cell, '0' cell 0 of the piece and '@' its other cells.
#pragma once

#include "../shell/newgame.h"
#include "rules/rules.h"
#include "shell/shell.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <tuple>
#include <vector>

namespace field {

using cellset = std::vector<std::pair<int, int>>;

// (x, y) pairs written "x,y x,y ...".
inline cellset pairs(const char* text) {
    cellset out;
    for (int x, y, n; std::sscanf(text, "%d,%d%n", &x, &y, &n) == 2; text += n)
        out.emplace_back(x, y);
    return out;
}

// An empty board, lock timer full, five refills (SRS) or lowest row 25 (ARS), low gravity.
inline void freshgame(bool ars = false) {
    newgame(ars ? 7 : 1);
    std::memset(keys, 0, sizeof keys);
    std::memset(arrkeys, 0, sizeof arrkeys);
    ingamev.active = 1;
    ingamev.gravity = 4;
    ingamev.lockdelay = ingamev.locktimer = 30;
    ingamev.resetlimit = ars ? 25 : 5;
    ingamev.resetsleft = ars ? 0 : 5;
}

// Locks the picture's '#' cells into the board and returns its piece cells, cell 0 first unless
// sorted.
inline cellset draw(const std::string& rows, int top, bool sorted = false) {
    cellset out;
    for (int y = top, x = 9, i = 0; i < int(rows.size()); i++, x--) {
        if (rows[i] == '/')
            y--, x = 10;
        if (rows[i] == '#')
            ingamev.board[y][x] = 1;
        if (rows[i] == '0' || rows[i] == '@')
            out.insert(rows[i] == '0' ? out.begin() : out.end(), {x, y});
    }
    if (sorted)
        std::sort(out.begin(), out.end());
    return out;
}

// Places the piece `piece` in rotation `r` on the picture's cells with the pivot on cell 0, or
// without a picture as its rotation system deals it with the pivot at (px, py).
inline void setup(const std::string& rows, int top, int piece, int r, int px = 0, int py = 0) {
    const int a = ingamev.ars && (piece == 2 || piece == 3) ? 1 : 0, sign = ingamev.ars ? -1 : 1;
    cellset c = draw(rows, top);
    for (int i = 0; c.size() < 4; i++)
        c.emplace_back(px - a + sign * ingamev.shapes[piece][i][0],
                       py - a + sign * ingamev.shapes[piece][i][1]);
    for (int i = 0; i < 4; i++)
        ingamev.piecex[i] = std::uint16_t(c[i].first),
        ingamev.piecey[i] = std::uint16_t(c[i].second);
    ingamev.pivotx = std::uint16_t(rows.empty() ? px : c[0].first);
    ingamev.pivoty = std::uint16_t(rows.empty() ? py : c[0].second);
    ingamev.current = std::uint8_t(piece), ingamev.rotation = std::uint8_t(r);
}

// The piece's cells, moved by (dx, dy), sorted.
inline cellset cells(int dx = 0, int dy = 0) {
    cellset out;
    for (int i = 0; i < 4; i++)
        out.emplace_back(ingamev.piecex[i] + dx, ingamev.piecey[i] + dy);
    std::sort(out.begin(), out.end());
    return out;
}

// Plays the moves (l, r: shift left or right, d: drop a row, s: a skipped drop), noting '.' for
// each that went and '#' for each that was blocked.
inline std::string play(const std::string& moves) {
    std::string out;
    for (char m : moves)
        out += (m == 'l' ? left() : m == 'r' ? right() : drop(m == 's')) ? '#' : '.';
    return out;
}

// Turns a piece from rotation `from` in mid-field once for each of the first `tried` kicks, with
// the cells of every earlier candidate taken unless that kick needs them, so a kick tried too
// soon or too late lands elsewhere. A last round, with every tried candidate taken, fails.
inline void checkorder(bool ars, int piece, int from, bool cw, const cellset& kicks,
                       std::size_t tried, void (*turn)(bool)) {
    const auto midfield = [&] {
        freshgame(ars);
        setup("", 0, piece, ars ? 2 : 0, 5, 12);
        while (ingamev.rotation != from)
            turn(true);
        headless::clearrecords();
    };
    midfield();
    turn(cw); // in open space: the first kick
    const auto candidate = [&, turned = cells()](std::size_t u) {
        cellset c = turned;
        for (auto& [x, y] : c)
            x += kicks[u].first - kicks[0].first, y += kicks[u].second - kicks[0].second;
        return c;
    };
    for (std::size_t t = 0; t <= tried; t++) {
        midfield();
        const cellset want = t < tried ? candidate(t) : cells();
        for (std::size_t u = 0; u < t; u++)
            for (auto c : candidate(u))
                ingamev.board[c.second][c.first] =
                    t == tried || !std::count(want.begin(), want.end(), c);
        ingamev.lastrotate = t == tried;
        ingamev.justspawned = t == 0; // a turn in the spawn frame sounds different
        turn(cw);
        // SRS puts the pivot on cell 0; ARS moves it by the kick alone.
        const auto [px, py] = t < tried ? kicks[t] : std::pair{0, 0};
        EXPECT_EQ(std::tuple(cells(), int(ingamev.rotation), int(ingamev.lastrotate), heard(),
                             int(ingamev.pivotx), int(ingamev.pivoty)),
                  std::tuple(want, t < tried ? (from + (cw ? 1 : 3)) % 4 : from, 1,
                             t == tried ? "rotfail.wav"
                             : t        ? "rotate.wav"
                                        : "initialrotate.wav",
                             ars ? 5 + px : ingamev.piecex[0], ars ? 12 + py : ingamev.piecey[0]))
            << piece << " from " << from << " cw " << cw << " test " << t;
    }
}

} // namespace field

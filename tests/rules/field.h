// Rules test helpers. Pictures show rows from `top` down, separated by '/', each from the leftmost
// column: '#' a locked cell, '0' cell 0 of the piece and '@' its other cells.
#pragma once

#include "console/platform/headless.h"
#include "shell/ingamev.h"
#include "shell/shell.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace field {

using cellset = std::vector<std::pair<int, int>>;
using heard = std::vector<std::string>;

// (x, y) pairs written "x,y x,y ...".
inline cellset pairs(const char* text) {
    cellset out;
    for (int x, y, n; std::sscanf(text, "%d,%d%n", &x, &y, &n) == 2; text += n)
        out.emplace_back(x, y);
    return out;
}

// An empty board, lock timer full, five refills (SRS) or lowest row 25 (ARS), low gravity.
inline void freshgame(bool ars = false) {
    headless::reset();
    std::memset(&ingamev.board, 0, sizeof ingamev.board);
    std::memset(keys, 0, sizeof keys);
    std::memset(arrkeys, 0, sizeof arrkeys);
    ingamev.score = ingamev.justspawned = ingamev.onground = ingamev.lastrotate = 0;
    ingamev.active = 1;
    ingamev.gravity = 4;
    ingamev.lockdelay = ingamev.locktimer = 30;
    ingamev.resetlimit = ars ? 25 : 5;
    ingamev.resetsleft = ars ? 0 : 5;
    ingamev.ars = ars;
}

// Locks the picture's '#' cells into the board and returns its piece cells, cell 0 first
// unless sorted.
inline cellset draw(const std::string& rows, int top, bool sorted = false) {
    cellset out;
    for (int y = top, x = 9, i = 0; i < int(rows.size()); i++, x--) {
        if (rows[i] == '/')
            y--, x = 10;
        if (rows[i] == '#')
            ingamev.board[y][x] = 1;
        if (rows[i] == '0')
            out.insert(out.begin(), {x, y});
        if (rows[i] == '@')
            out.emplace_back(x, y);
    }
    if (sorted)
        std::sort(out.begin(), out.end());
    return out;
}

// The piece `piece` in rotation `r` with the cells of the picture and its pivot on cell 0.
inline void setup(const std::string& rows, int top, int piece, int r) {
    const cellset c = draw(rows, top);
    for (int i = 0; i < 4; i++)
        ingamev.piecex[i] = std::uint16_t(c[i].first),
        ingamev.piecey[i] = std::uint16_t(c[i].second);
    ingamev.pivotx = std::uint16_t(c[0].first), ingamev.pivoty = std::uint16_t(c[0].second);
    ingamev.current = std::uint8_t(piece), ingamev.rotation = std::uint8_t(r);
}

// The piece as its rotation system deals it, with the pivot at (px, py).
inline void deal(int piece, int px, int py) {
    const int a = ingamev.ars && (piece == 2 || piece == 3) ? 1 : 0, sign = ingamev.ars ? -1 : 1;
    for (int i = 0; i < 4; i++) {
        ingamev.piecex[i] = std::uint16_t(px - a + sign * ingamev.shapes[piece][i][0]);
        ingamev.piecey[i] = std::uint16_t(py - a + sign * ingamev.shapes[piece][i][1]);
    }
    ingamev.pivotx = std::uint16_t(px), ingamev.pivoty = std::uint16_t(py);
    ingamev.current = std::uint8_t(piece), ingamev.rotation = ingamev.ars ? 2 : 0;
}

// The piece's cells, moved by (dx, dy), in a fixed order.
inline cellset cells(int dx = 0, int dy = 0) {
    cellset out;
    for (int i = 0; i < 4; i++)
        out.emplace_back(ingamev.piecex[i] + dx, ingamev.piecey[i] + dy);
    std::sort(out.begin(), out.end());
    return out;
}

// Turns a piece from rotation `from` in mid-field once for each of the first `tried` kicks: the
// field is full but for the candidates of that kick and every later one, less one cell of each
// earlier candidate, so only the right order lands on it. A last round, with only the kicks that
// must not be tried left free, fails. `turned`: the cells before any kick, around the pivot.
inline void checkorder(bool ars, int piece, int from, bool cw, const cellset& kicks,
                       std::size_t tried, void (*turn)(bool), cellset turned = {}) {
    const auto midfield = [&] {
        freshgame(ars);
        deal(piece, 5, 12);
        while (ingamev.rotation != from)
            turn(true);
        headless::clearrecords();
    };
    const int to = (from + (cw ? 1 : 3)) % 4;
    for (auto& [x, y] : turned)
        x += 5, y += 12;
    std::sort(turned.begin(), turned.end());
    if (turned.empty()) { // the turn in open space, less its first kick
        midfield();
        turn(cw);
        turned = cells(-kicks[0].first, -kicks[0].second);
    }
    const auto candidate = [&](std::size_t u) {
        cellset c = turned;
        for (auto& [x, y] : c)
            x += kicks[u].first, y += kicks[u].second;
        return c;
    };
    for (std::size_t t = 0; t <= tried; t++) {
        midfield();
        const cellset want = t < tried ? candidate(t) : cells();
        const auto [px, py] = t < tried ? kicks[t] : std::pair{0, 0};
        std::memset(&ingamev.board, 1, sizeof ingamev.board);
        for (std::size_t u = t; u < kicks.size(); u++)
            for (auto [x, y] : candidate(u))
                ingamev.board[y][x] = 0;
        for (std::size_t u = 0; u < t && t < tried; u++) {
            for (auto c : candidate(u)) {
                if (std::find(want.begin(), want.end(), c) == want.end()) {
                    ingamev.board[c.second][c.first] = 1;
                    break;
                }
            }
        }
        ingamev.lastrotate = t == tried;
        ingamev.justspawned = t == 0; // a turn in the spawn frame sounds different
        turn(cw);
        SCOPED_TRACE(::testing::Message()
                     << piece << " from " << from << " cw " << cw << " test " << t);
        EXPECT_EQ(cells(), want);
        EXPECT_EQ(ingamev.rotation, t < tried ? to : from);
        EXPECT_EQ(ingamev.lastrotate, 1);
        EXPECT_TRUE(t < tried || ingamev.onground == 1); // it rested before the turn
        EXPECT_EQ(headless::sounds(), heard{t == tried ? "rotfail.wav"
                                            : t        ? "rotate.wav"
                                                       : "initialrotate.wav"});
        // SRS puts the pivot on cell 0; ARS moves it by the kick alone.
        EXPECT_EQ(ingamev.pivotx, ars ? 5 + px : ingamev.piecex[0]);
        EXPECT_EQ(ingamev.pivoty, ars ? 12 + py : ingamev.piecey[0]);
    }
}

} // namespace field

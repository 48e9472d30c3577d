// Rules test helpers: a fresh game record, and boards and pieces drawn as they look on screen:
// rows from the top down separated by '/', each row from the leftmost column.
#pragma once

#include "console/platform/headless.h"
#include "frontend/frontend.h"
#include "shell/ingamev.h"
#include "shell/shell.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace field {

using cellset = std::vector<std::pair<int, int>>;
using heard = std::vector<std::string>;

// A piece in play on an empty board, lock timer full, five refills (SRS) or lowest row 25 (ARS),
// low gravity, no keys held.
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

inline cellset cells(int dx = 0, int dy = 0) {
    cellset out;
    for (int i = 0; i < 4; i++)
        out.emplace_back(ingamev.piecex[i] + dx, ingamev.piecey[i] + dy);
    std::sort(out.begin(), out.end());
    return out;
}

using kicklist = std::vector<std::pair<int, int>>;

// Turns a piece from rotation `from` in the middle of the field once for each of the first
// `tried` kicks: the field is full except the candidates of that kick and of every later one,
// with one cell of each earlier candidate filled again, so only the right order lands on it. A
// last round leaves free only the kicks that must not be tried, and the turn fails.
inline void checkorder(bool ars, int piece, int from, bool clockwise, const kicklist& kicks,
                       std::size_t tried, void (*turn)(bool)) {
    const auto where = [&](std::size_t t) {
        return ::testing::Message() << "piece " << piece << " from " << from
                                    << (clockwise ? " cw" : " ccw") << " test " << t;
    };
    const auto midfield = [&] {
        freshgame(ars);
        deal(piece, 5, 12);
        while (ingamev.rotation != from)
            turn(true);
        headless::clearrecords();
    };
    midfield();
    turn(clockwise);
    const int to = ingamev.rotation;
    const cellset turned = cells(-kicks[0].first, -kicks[0].second);
    const auto candidate = [&](std::size_t u) {
        cellset c = turned;
        for (auto& [x, y] : c)
            x += kicks[u].first, y += kicks[u].second;
        return c;
    };
    for (std::size_t t = 0; t <= tried; t++) {
        midfield();
        const cellset want = t < tried ? candidate(t) : cells();
        const int px = ingamev.pivotx, py = ingamev.pivoty;
        std::memset(ingamev.board, 1, sizeof ingamev.board);
        for (std::size_t u = t; u < kicks.size(); u++)
            for (auto [x, y] : candidate(u))
                ingamev.board[y][x] = 0;
        for (std::size_t u = 0; u < t; u++) {
            for (auto [x, y] : candidate(u)) {
                if (std::find(want.begin(), want.end(), std::pair{x, y}) == want.end()) {
                    ingamev.board[y][x] = 1;
                    break;
                }
            }
        }
        ingamev.lastrotate = t < tried ? 0 : 1;
        turn(clockwise);
        EXPECT_EQ(cells(), want) << where(t);
        EXPECT_EQ(ingamev.rotation, t < tried ? to : from) << where(t);
        EXPECT_EQ(ingamev.lastrotate, 1) << where(t);
        // Resting before the turn, in a full field.
        EXPECT_TRUE(t < tried || ingamev.onground == 1) << where(t);
        EXPECT_EQ(headless::sounds(), heard{t < tried ? "rotate.wav" : "rotfail.wav"}) << where(t);
        // SRS puts the reference point on cell 0; ARS moves it by the kick alone.
        const auto kick = t < tried ? kicks[t] : std::pair{0, 0};
        EXPECT_EQ(ingamev.pivotx, ars ? px + kick.first : ingamev.piecex[0]) << where(t);
        EXPECT_EQ(ingamev.pivoty, ars ? py + kick.second : ingamev.piecey[0]) << where(t);
    }
}

} // namespace field

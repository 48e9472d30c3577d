// A clean game record and clean back-end records for tests that lock pieces and score.
#pragma once

#include "console/platform/headless.h"
#include "shell/ingamev.h"

#include <cstring>
#include <string>

inline void newgame(unsigned char mode) {
    headless::reset();
    auto& g = ingamev;
    std::memset(g.board, 0, sizeof g.board);
    g.lines = g.score = g.piececount = 0;
    g.level = mode >= 7 ? 0 : 1;
    g.ars = mode >= 7;
    g.mode = mode;
    g.cleared = 0;
    g.b2b = g.combo = 0;
    g.label = 1;
    g.labelcombo = g.labeltimer = 0;
    g.over = 0;
    g.lastrotate = 0;
    g.current = 0;
}

// The sounds requested since the last reset, separated by spaces.
inline std::string heard() {
    std::string s;
    for (auto& name : headless::sounds())
        s += (s.empty() ? "" : " ") + name;
    return s;
}

inline void fillrow(int row) {
    std::memset(ingamev.board[row], 1, sizeof ingamev.board[row]);
}

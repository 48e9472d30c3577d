// A clean game record and clean back-end records for tests that lock pieces and score.
#pragma once

#include "console/platform/headless/headless.h"
#include "shell/ingamev.h"

#include <cstring>
#include <string>

inline void newgame(unsigned char mode) {
    headless::reset();
    auto& g = ingamev;
    std::memset(g.board, 0, sizeof g.board);
    g.lines = g.score = g.piececount = g.b2b = g.combo = 0;
    g.level = mode >= 7 ? 0 : 1, g.ars = mode >= 7, g.mode = mode, g.label = 1;
    g.cleared = g.labelcombo = g.labeltimer = g.over = g.lastrotate = 0;
}

// The sounds requested since the records were last cleared, separated by spaces.
inline std::string heard() {
    std::string s;
    for (auto& name : headless::sounds())
        s += (s.empty() ? "" : " ") + name;
    return s;
}

#include "console/sound.h"
#include "rules/rules.h"
#include "shell/ingamev.h"
#include "shell/shell.h"

#include <string>

namespace {

// A corner beyond any edge counts as blocked: one unsigned comparison per coordinate catches
// column -1 and row -1 as well as the far sides.
bool corner(unsigned short x, unsigned short y) {
    if (x >= boardcols || y >= boardrows)
        return true;
    return ingamev.board[y][x] != 0;
}

bool tspintest(unsigned short row) {
    if (ingamev.current != 6 || ingamev.lastrotate != 1)
        return false;
    unsigned short x = ingamev.piecex[0];
    int count = corner(x + 1, row + 1) + corner(x - 1, row + 1) + corner(x + 1, row - 1) +
                corner(x - 1, row - 1);
    return count >= 3;
}

bool fullrow(int r) {
    for (int x = 0; x < boardcols; x++)
        if (ingamev.board[r][x] == 0)
            return false;
    return true;
}

// From the top down, so every row that slides down has already been looked at.
unsigned removerows() {
    unsigned n = 0;
    for (int r = boardrows - 1; r >= 0; r--) {
        if (!fullrow(r))
            continue;
        n++;
        for (int k = r; k < boardrows - 1; k++)
            for (int x = 0; x < boardcols; x++)
                ingamev.board[k][x] = ingamev.board[k + 1][x];
        for (int x = 0; x < boardcols; x++)
            ingamev.board[boardrows - 1][x] = 0;
    }
    return n;
}

bool boardempty() {
    for (auto& row : ingamev.board)
        for (auto v : row)
            if (v != 0)
                return false;
    return true;
}

struct clearkind {
    std::uint8_t label;
    const char* sound;
    std::uint64_t points; // in hundreds, before the level multiplier
};

// Indexed by lines cleared. A T spans at most three rows, so its tables stop at three.
constexpr clearkind plain[5] = {{0, nullptr, 0},
                                {2, "erase1.wav", 1},
                                {3, "erase2.wav", 3},
                                {4, "erase3.wav", 5},
                                {5, "erase4.wav", 8}};
constexpr clearkind plainb2b = {9, "erase4.wav", 12};
constexpr clearkind tspin[4] = {
    {0, "tspin0.wav", 0}, {6, "tspin1.wav", 4}, {7, "tspin2.wav", 8}, {8, "tspin3.wav", 12}};
constexpr clearkind tspinb2b[4] = {
    {0, "tspin0.wav", 0}, {10, "tspin1.wav", 6}, {11, "tspin2.wav", 12}, {12, "tspin3.wav", 18}};

} // namespace

void handle(unsigned int combo, unsigned char chain) {
    playsound("combo" + std::to_string(combo) + ".wav");
    if (chain == 1)
        playsound("b2b_start.wav");
    else if (chain == 2)
        playsound("b2b_continue.wav");
    else if (chain == 3)
        playsound("b2b_end.wav");
}

void linecleartest(unsigned short row) {
    auto& g = ingamev;
    std::uint8_t prev = g.cleared;
    g.cleared = 0;
    g.piececount++;

    bool spin = tspintest(row);
    unsigned n = removerows();
    if (n > 0) {
        g.cleared = static_cast<std::uint8_t>(n);
        g.lines += n;
    }

    unsigned char chain = 0;
    if (n == 4 || (spin && n >= 1)) {
        g.b2b++;
        chain = g.b2b == 1 ? 1 : 2;
    } else if (n >= 1 && g.b2b > 0) {
        g.b2b = 0;
        chain = 3;
    }

    if (n > 0 && prev > 0) {
        g.combo++;
        g.labelcombo = static_cast<std::uint8_t>(g.combo);
    } else {
        g.combo = 0;
    }

    bool backtoback = g.b2b >= 2;
    // Only a board that broke the rules could hold more than four full rows at once; they score
    // as four rather than read past the tables.
    unsigned k = n > 4 ? 4 : n;
    const clearkind* kind = nullptr;
    if (spin && k < 4)
        kind = backtoback ? &tspinb2b[k] : &tspin[k];
    else if (k == 4 && backtoback)
        kind = &plainb2b;
    else if (k > 0)
        kind = &plain[k];

    std::uint64_t points = 0;
    if (kind) {
        if (n > 0)
            g.label = kind->label;
        handle(g.combo, chain);
        playsound(kind->sound);
        points = kind->points;
    }

    if (g.combo >= 2) {
        points += g.combo >= 6 ? 3 : g.combo >= 4 ? 2 : 1;
        g.labelcombo = static_cast<std::uint8_t>(g.combo);
    }

    if (boardempty()) {
        points += 18;
        playsound("bravo.wav");
    }

    if (g.cleared != 0)
        g.labeltimer = 120;

    std::uint64_t multiplier = g.ars ? g.level / 100 + 1 : g.level;
    g.score += points * multiplier * 100;

    moderule();
}

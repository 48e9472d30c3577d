#include "shell/modes.h"
#include "console/sound.h"
#include "shell/ingamev.h"
#include "shell/shell.h"

namespace {

// Dropple 5's gravity by level: the entry of the highest threshold the level has reached. The last
// threshold is a sentinel no level reaches.
constexpr std::uint32_t curvefrom[32] = {0,   8,   19,  35,  40,  50,  60,  70,  80,  90,     100,
                                         120, 140, 160, 170, 200, 220, 230, 233, 236, 239,    243,
                                         247, 251, 300, 330, 360, 400, 420, 450, 500, instant};
constexpr std::uint32_t curvegravity[32] = {
    4,  5,  6,  8,   10,  12,  16,  32,  48,  64,  80,   96,   112,  128, 144,     4,
    32, 64, 96, 128, 160, 192, 224, 256, 512, 768, 1024, 1280, 1024, 768, instant, instant};

struct delays {
    std::uint64_t from;
    std::uint16_t are;
    std::uint16_t lockdelay;
};

constexpr delays curvedelays[4] = {{0, 25, 30}, {700, 16, 30}, {800, 12, 30}, {900, 12, 17}};
constexpr delays deathdelays[6] = {{0, 16, 30},  {100, 12, 26}, {200, 12, 22},
                                   {300, 6, 18}, {400, 5, 15},  {500, 4, 15}};

std::uint32_t curve(std::uint64_t level) {
    int i = 0;
    while (i < 31 && level >= curvefrom[i + 1])
        i++;
    return curvegravity[i];
}

template <int N> void setdelays(const delays (&table)[N], std::uint64_t level) {
    int i = 0;
    while (i + 1 < N && level >= table[i + 1].from)
        i++;
    ingamev.are = table[i].are;
    ingamev.lockdelay = table[i].lockdelay;
}

// Level from lines in tens. Returns true when the level went up.
bool levelbylines() {
    std::uint64_t q = ingamev.lines / 10;
    if (q + 1 <= ingamev.level)
        return false;
    ingamev.level = q + 1;
    return true;
}

// Every lock moves the level on by one, except that it stops before each hundred and at 998
// until lines carry it over; lines always count.
void levelbypieces() {
    auto& g = ingamev;
    std::uint64_t old = g.level;
    if (g.level % 100 != 99 && g.level != 998)
        g.level++;
    g.level += g.cleared;
    if (g.level > 998)
        g.level = 999;
    if (goalreached(g))
        win();
    if (g.level / 100 > old / 100)
        playsound("levelup.wav");
}

void marathonrule() {
    auto& g = ingamev;
    if (goalreached(g))
        win();
    if (levelbylines()) {
        // Play wins at 200 lines, level 21; the bound only keeps a stray count inside the table.
        g.gravity = g.gravitytable[g.level - 1 < 60 ? g.level - 1 : 60];
        playsound("levelup.wav");
    }
}

void linesrule() {
    if (goalreached(ingamev))
        win();
}

void norule() {}

void curverule() {
    auto& g = ingamev;
    if (levelbylines()) {
        g.gravity = g.gravitytable[g.level - 1 < 20 ? g.level - 1 : 19];
        playsound("levelup.wav");
    }
}

void dropple2rule() {
    auto& g = ingamev;
    if (levelbylines()) {
        std::uint64_t i = g.lines <= 609 ? g.level - 1 : 60;
        g.gravity = g.gravitytable[i];
        g.lockdelay = static_cast<std::uint16_t>(g.locktable[i]);
        playsound("levelup.wav");
    }
}

void dropple5rule() {
    levelbypieces();
    ingamev.gravity = curve(ingamev.level);
    setdelays(curvedelays, ingamev.level);
}

void deathrule() {
    levelbypieces();
    ingamev.gravity = instant;
    setdelays(deathdelays, ingamev.level);
}

} // namespace

const modeinfo modes[modecount] = {
    {"marathon (200 lines)", nullptr, nullptr, 0, 0, 1, 0, goal::lines, 200, best::none,
     marathonrule},
    {"Dropple 3", "Dropple 3", "dropple3", 8, 0, 1, 0, goal::lines, 40, best::time, linesrule},
    {"Dropple 4", "Dropple 4", "dropple4", 9, 0, 1, 0, goal::frames, 7200, best::score, norule},
    {"ultra (3 minutes)", nullptr, nullptr, 0, 0, 1, 0, goal::frames, 10800, best::none, norule},
    {"endless with gravity curve", nullptr, nullptr, 0, 0, 1, 0, goal::none, 0, best::none,
     curverule},
    {"endless with fixed gravity", nullptr, nullptr, 0, 0, 1, 0, goal::none, 0, best::none, norule},
    {"Dropple 2", "Dropple 2", "dropple2", 7, 0, 1, 0, goal::none, 0, best::score, dropple2rule},
    {"Dropple 5", "Dropple 5", "dropple5", 10, 1, 0, 0, goal::level, 999, best::level,
     dropple5rule},
    {"Dropple 5", "Dropple 5 Death", "dropple5death", 11, 1, 0, instant, goal::level, 999,
     best::level, deathrule},
};

const modeinfo& modeof(unsigned mode) {
    return modes[mode < modecount ? mode : 0];
}

int modeatrow(unsigned row) {
    for (int m = 0; m < modecount; m++)
        if (row != 0 && modes[m].menurow == row)
            return m;
    return -1;
}

bool goalreached(const gamestate& g) {
    if (g.mode >= modecount)
        return false;
    const modeinfo& m = modes[g.mode];
    switch (m.wins) {
    case goal::lines:
        return g.lines >= m.goalat;
    case goal::frames:
        return g.frames >= m.goalat;
    case goal::level:
        return g.level >= m.goalat;
    case goal::none:
        break;
    }
    return false;
}

void moderule() {
    if (ingamev.mode < modecount)
        modes[ingamev.mode].rule();
}

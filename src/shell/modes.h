// The game modes. Everything a mode is, apart from its rule function, is a row of `modes`: the
// drawing, the menu, the replay reader and the records all read it, so a new mode is a row here
// and a rule in modes.cpp.
#pragma once

#include <cstdint>

struct gamestate;

// A mode's number is written into every replay, so these numbers never change; a new mode takes
// the next one.
enum modenumber : std::uint8_t {
    marathon = 0,
    dropple3 = 1,
    dropple4 = 2,
    ultra = 3,
    endlesscurve = 4,
    endlessfixed = 5,
    dropple2 = 6,
    dropple5 = 7,
    dropple5death = 8,
};
constexpr int modecount = 9;

// What winning takes: `goalat` lines cleared, frames played or level reached.
enum class goal : std::uint8_t { none, lines, frames, level };
// What a game's record is: the highest score, the quickest win, or the highest level (the quicker
// breaking a tie).
enum class best : std::uint8_t { none, score, time, level };

struct modeinfo {
    const char* title;        // the in-game screen's top row
    const char* name;         // on the menu and in the records; null when not on the menu
    const char* word;         // in file names ("dropple5death"); null when not on the menu
    std::uint8_t menurow;     // the menu row that starts it, 0 when none
    std::uint8_t ars;         // 1 for the rule set with the second rotation system and delays
    std::uint64_t startlevel; // the level a game starts at
    std::uint32_t gravity;    // at the start; 0 takes the settings' first level
    goal wins;
    std::uint64_t goalat;
    best record;
    void (*rule)(); // after every lock: the level, the speeds, a win by lines or level
};

extern const modeinfo modes[modecount];

// The row of this mode, or of mode 0 for a number that names none (its title stands in).
const modeinfo& modeof(unsigned mode);
// The mode that this menu row starts, or -1.
int modeatrow(unsigned row);
// Whether the game has reached its mode's goal; never for a number that names no mode.
bool goalreached(const gamestate& g);

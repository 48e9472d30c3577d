// The record of a running game and the game's constant tables. Every part of the game reads and
// writes these fields directly; there is no other copy.
#pragma once

#include <cstdint>

constexpr int boardrows = 28;
constexpr int boardcols = 10;
constexpr std::uint32_t instant = 4294967295u; // a speed that moves until blocked

// The in-game key slots, in the order the settings keep their keys.
constexpr int harddropkey = 0, softdropkey = 1, leftkey = 2, rightkey = 3;
constexpr int rotaterightkey = 4, rotateleftkey = 5, pausekey = 6, holdkey = 7;

// Speeds and counters add up to `instant` and stay there.
constexpr std::uint32_t addsaturated(std::uint32_t a, std::uint32_t b) {
    return a > instant - b ? instant : a + b;
}

struct gamestate {
    std::uint64_t lines{};
    std::uint64_t level{};
    std::uint64_t score{};
    std::uint64_t piececount{};
    std::uint8_t board[boardrows][boardcols]{}; // row 0 at the bottom, column 0 at the right
    // The constant tables are const so that nothing can change them after start-up.
    const std::int8_t ioffsets[5][4][2];
    const std::int8_t jlstzoffsets[5][4][2];
    const std::int8_t ooffsets[1][4][2];
    std::uint8_t queue[16]{};
    const std::uint32_t gravitytable[61];
    const std::uint32_t locktable[61];
    std::uint8_t paused{};
    std::uint64_t frames{};
    std::uint8_t active{};
    std::uint8_t justspawned{};
    std::uint8_t rotation{};
    std::uint32_t gravity{};
    std::uint32_t gravitysum{};
    std::uint16_t are{};
    std::uint16_t lockdelay{};
    std::uint16_t locktimer{};
    std::uint8_t resetlimit{};
    std::uint8_t resetsleft{};
    std::uint8_t queuecount{};
    std::uint8_t current{};
    const std::int8_t shapes[7][4][2];
    std::uint8_t holdused{};
    std::uint16_t piecex[4]{};
    std::uint16_t piecey[4]{};
    std::uint16_t pivotx{};
    std::uint16_t pivoty{};
    std::uint16_t ghosty[4]{};
    std::uint8_t hold{};
    std::uint8_t onground{};
    std::uint8_t lastrotate{};
    std::uint8_t over{};
    std::uint8_t cleared{};
    std::uint32_t b2b{};
    std::uint32_t combo{};
    std::uint8_t label{};
    std::uint8_t labelcombo{};
    std::uint8_t labeltimer{};
    std::uint8_t mode{};
    std::uint8_t ars{};
};

extern gamestate ingamev;

// Recorded games. A game is fully described by its mode, the random generator's state when it
// starts, the movement timings, the key state it starts with and the state of the eight in-game key
// slots on each frame, so a replay holds those (the slots as changes only) and the end the game
// reached, which a playback must reach again.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// How a game ended.
enum ending : std::uint8_t { leftgame = 0, toppedout = 1, wongame = 2 };

// Where a game ended, as the replay's end and as a playback reaches it.
struct gameresult {
    std::uint64_t score = 0, lines = 0, level = 0, frames = 0, pieces = 0;
    std::uint8_t how = leftgame;
    std::uint32_t board = 0; // checksum of the final playfield
    bool operator==(const gameresult&) const = default;
};

// One change of the key slots: `gap` frames after the previous change (or the first frame), the
// slots (bit i for slot i) become `slots`.
struct slotchange {
    std::uint32_t gap;
    std::uint8_t slots;
};

struct replay {
    std::uint8_t mode = 0;
    std::uint32_t random[4] = {};
    std::uint32_t das = 0, arr = 0, sds = 0; // the timing settings the game was played with
    std::uint8_t keys[8] = {};               // the shared key state when the first frame began
    std::uint32_t daskeys[8] = {};
    std::uint32_t arrkeys[8] = {};
    std::int64_t date = 0; // seconds since 1970
    char version[16] = {}; // the program that played it, NUL-padded
    std::vector<slotchange> changes;
    std::uint32_t ticks = 0; // frames the game's screen ran, paused and ended frames included
    gameresult end;
};

// Bounds that no real game reaches: about 3 days of frames, and a quarter of a million key
// changes (over an hour of ten changes a second). A file past them is refused, and a game past
// them is not kept.
constexpr std::uint32_t maxticks = 1u << 24;
constexpr std::uint32_t maxchanges = 1u << 18;
// The largest file a replay can be, in bytes.
long maxreplaysize();

// The file's bytes for a replay.
std::vector<unsigned char> encodereplay(const replay& r);
// The checksum that ends a replay file: CRC-32 of everything before it.
std::uint32_t crc32(const unsigned char* p, std::size_t n);
// Reads a replay from a file's bytes. Returns an empty string when it is whole and valid, else a
// short reason ("cut short", "made by a newer version").
std::string decodereplay(const unsigned char* data, std::size_t n, replay* out);

// The end the running game has reached so far, from the game record.
gameresult currentresult();
// One line telling an end: "score 1234, 40 lines, level 1, 1:23.45, 102 pieces, won".
std::string describe(const gameresult& r);
// A game's time as "1:23.45", its hundredths rounded as the game's clock shows them.
std::string gametime(std::uint64_t frames);

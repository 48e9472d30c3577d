// Game flow: the screen dispatcher, piece supply, the in-game loop, locking, modes and the end of
// a game.
#pragma once

#include <cstdint>

// Per-slot key state shared by every screen (slot order: up, down, left, right, A, B, start,
// select). `keys` is the held state or a latch; `daskeys` and `arrkeys` are per-slot counters.
extern std::uint8_t keys[8];
extern std::uint32_t daskeys[8];
extern std::uint32_t arrkeys[8];

// Runs screens from the main menu on until one returns a number that names no screen.
void dispatch();
// Runs the screen with this number once and returns the number of the next one; 0 for a number
// that names no screen.
unsigned char runscreen(unsigned char number);

void spawn(bool fromhold);
void spawn2();
void hold();

unsigned char ingame(unsigned char mode);
void lock();
void moderule();
void gameover();
void win();

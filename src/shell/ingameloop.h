// The in-game screen split at its frame boundary, so that a frame's work can be run on its own.
#pragma once

#include <cstdint>

// Loads the settings, starts a game in `mode` and deals its first piece.
void gamesetup(unsigned char mode);
// The same with the settings as they are.
void startgame(unsigned char mode);
// Runs one frame up to the point where it is presented; false when the player leaves the game.
bool gameframe();
// The same with the key slots given (bit i for slot i) instead of read from the keyboard.
bool playframe(std::uint8_t slots);
// The in-game key slots that are down now, bit i for slot i.
std::uint8_t readslots();

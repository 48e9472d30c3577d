// The in-game screen split at its frame boundary, so that a frame's work can be run on its own.
#pragma once

// Starts a game in `mode` and deals its first piece.
void gamesetup(unsigned char mode);
// Runs one frame up to the point where it is presented; false when the player leaves the game.
bool gameframe();

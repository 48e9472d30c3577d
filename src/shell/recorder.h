// Recording the games played from the menu, and playing recordings back.
#pragma once

#include <cstdint>

// Games are recorded only where the player asked to play: the program turns this on, tests and
// playbacks leave it off.
void keepgames(bool on);
// Around one game: the generator's state before its set-up, the settings and key state after it,
// the key slots of each frame, and the end, when the replay is written.
void recordstart();
void recordsetup();
void recordframe(std::uint8_t slots);
void recordend();

// Plays the replay in `file` in the terminal or the window, or without a display as fast as it goes
// when `check` is set, and prints the end recorded and the end reached. Returns the program's
// status: 0 when they are the same, 1 when not, 2 when the file is not a replay that can be played.
int playback(const char* file, bool check, bool window);

// The keyboard of the terminal back end: it asks the terminal what it can report, picks the best
// source of key state, and takes in whatever input is waiting once per frame. What the keys ask
// for (quit, suspend) and a lost terminal come back to the caller, which acts on them.
#pragma once

#include "platform/term/keys.h"

// Told the report modes right after the input side has sent them: `on` turns them all on, `off`
// turns them all off (see reportmodes).
using modesfn = void (*)(const char* on, const char* off);

// Once the terminal is raw on the alternate screen: reads `in`, writes its questions to `out`.
// `lostdisplay` ends the program should the X display it reads keys from go away.
keyaction keysopen(int in, int out, modesfn reported, void (*lostdisplay)());
void keysclose(); // before the terminal leaves the alternate screen
// Takes in whatever input is pending, without waiting, as heard at counter time `now`; the keys
// move on by what was heard before the frame beginning now is due to end (`due`).
keyaction keyspoll(std::uint64_t now, std::uint64_t due);
bool keysdown(unsigned char code);
bool keysseen(unsigned char code);
void keysreleaseall();
// Once the terminal is given back and stderr is the player's again: a line there about how held
// keys were read, when they could only be guessed.
void keysnote();

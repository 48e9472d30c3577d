// The test back end's own controls: scripted keys, a virtual counter, and records of everything
// the game presented, coloured and played.
#pragma once

#include "platform/platform.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace headless {

struct presentation {
    short left, top, right, bottom;
    std::uint64_t frame; // frame boundaries passed before this presentation
};

// Back to a fresh machine: no keys down, empty records, a blank display, the default clock.
void reset();

// The virtual counter runs at `rate` ticks per second and moves `step` ticks at every read, so a
// busy wait ends after about frameint / step reads.
void setclock(std::uint64_t rate, std::uint64_t step);
void setlateness(std::uint64_t t); // every sleep wakes t ticks after the time asked for
void advance(std::uint64_t t);     // a stall of t ticks
std::uint64_t now();
std::uint64_t reads(); // counter reads so far

// Calendar time handed to the game.
void setwallclock(std::int32_t seconds);

// Keys that change at once, for the coming frame.
void press(unsigned char code);
void release(unsigned char code);
void releaseall();
// A key that this display cannot see by itself, as a terminal without key releases cannot see a
// modifier alone (keyseen says so); pressed, it is still down.
void hide(unsigned char code);
// A press and its release heard before the next frame boundary, as a terminal that reports
// releases would send them: the key is down for one frame and up the next, and each further tap
// before then takes two frames more.
void tap(unsigned char code);
// A press or release heard at counter time `at`, as a back end that hears events queues it: it
// reaches the first frame due to end at or after `at`, one transition of a key per frame.
void hear(unsigned char code, bool down, std::uint64_t at);

// Called at every frame boundary with the number of boundaries passed so far (1 for the first);
// a test changes keys here for the coming frame.
void onframe(std::function<void(std::uint64_t)> callback);
std::uint64_t frame();

// The player asks the program to end from outside the game (Ctrl-C, the window closed); the game
// hears of it at the next frame boundary.
void leave();

// Console size reported to the game, and whether size requests succeed.
void setconsole(short cols, short rows, bool resizable);

const std::vector<presentation>& presented();
const cell* display();          // the 80 by 25 cells as last presented
const unsigned char* palette(); // the 48 bytes last set
int palettewrites();
const std::vector<std::string>& sounds(); // every play request, in order
const std::vector<std::string>& opened(); // every open request, in order
void clearrecords();

} // namespace headless

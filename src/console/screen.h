// The shared 80 by 25 frame buffer, the 60 Hz frame pacer and the frame-rate meter.
#pragma once

#include <cstdint>

#include "platform/platform.h"

extern cell screen[screenrows * screencols];

// Frame timer, in counter ticks.
extern std::uint64_t cputimersecond;
extern std::uint64_t frameint;
extern std::uint64_t timecounter;

// Frame-rate meter: slots 0-30 hold the last 31 readings, oldest first; slot 31 is spare.
extern std::uint64_t frametiming[32];
extern std::uint32_t fps;

// What a frame shows as it ends: nothing, the frame meter only on its record, the meter's corner
// of the screen (screens that present their own changes), or the whole screen.
constexpr unsigned char shownothing = 0, showmeter = 1, showcorner = 2, showscreen = 3;
void framesleep(unsigned char mode);
void frameshow(unsigned char mode);
void fpsupdate(bool show);
int matchsize();
void initscreen();

#include "console/screen.h"
#include "console/sound.h"
#include "platform/platform.h"
#include "shell/random.h"

void initscreen() {
    // Sign-extended on purpose: a clock before 1970 seeds with its upper 32 bits all ones.
    seed(static_cast<unsigned long long>(static_cast<std::int64_t>(wallclock())));
    usecodepage437();
    cputimersecond = tickrate();
    frameint = (cputimersecond + 30) / 60;
    hidecursor();

    short w = screencols;
    short h = screenrows;
    consolesize(&w, &h);
    setbuffersize(screencols, h);
    setbuffersize(w, screenrows);
    setbuffersize(screencols, screenrows);
    setwindow(0, 0, screencols - 1, screenrows - 1);
    setbuffersize(screencols, screenrows);

    timecounter = ticks();
    // Pre-fill the meter as if the last 31 frames had run on time, so the first frame reads 60.0.
    const std::uint64_t now = ticks();
    for (int k = 0; k <= 30; k++)
        frametiming[k] = now - static_cast<std::uint64_t>(31 - k) * frameint;

    for (const char* name : soundcatalogue)
        loadsound(name);
}

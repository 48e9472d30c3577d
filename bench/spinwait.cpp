#include "spinwait.h"

#include "console/screen.h"
#include "platform/platform.h"

void spinsleep(unsigned char mode) {
    frameshow(mode);
    tempcounter = ticks();
    std::uint64_t elapsed = tempcounter - timecounter;
    if (elapsed > 8 * frameint) {
        timecounter = tempcounter - 8 * frameint;
        elapsed = 8 * frameint;
    }
    while (elapsed < frameint) {
        tempcounter = ticks();
        elapsed = tempcounter - timecounter;
    }
    timecounter += frameint;
    pump(timecounter + frameint);
}

void timersleep(unsigned char mode) {
    frameshow(mode);
    timecounter += frameint;
    if (ticks() < timecounter)
        sleepuntil(timecounter);
    else
        timecounter = ticks();
    pump(timecounter + frameint);
}

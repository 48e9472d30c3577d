#include "spinwait.h"

#include "console/screen.h"
#include "platform/platform.h"

void spinsleep(unsigned char mode) {
    frameshow(mode);
    const std::uint64_t now = ticks();
    std::uint64_t elapsed = now - timecounter;
    if (elapsed > 8 * frameint) {
        timecounter = now - 8 * frameint;
        elapsed = 8 * frameint;
    }
    while (elapsed < frameint)
        elapsed = ticks() - timecounter;
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

#include "spinwait.h"

#include "console/platform.h"
#include "console/screen.h"

namespace {

// What every frame shows before its wait, as the game's own wait does.
void show(unsigned char mode) {
    fpsupdate(mode >= 1 && mode <= 3);
    if (mode == 3)
        present(screen, 0, 0, screencols - 1, screenrows - 1);
    else if (mode == 2)
        present(screen, 76, 24, 79, 24);
}

} // namespace

void spinsleep(unsigned char mode) {
    show(mode);
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
    pump();
}

void timersleep(unsigned char mode) {
    show(mode);
    timecounter += frameint;
    if (ticks() < timecounter)
        sleepuntil(timecounter);
    else
        timecounter = ticks();
    pump();
}

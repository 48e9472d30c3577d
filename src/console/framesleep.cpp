#include "console/platform.h"
#include "console/screen.h"

std::uint64_t cputimersecond;
std::uint64_t frameint;
std::uint64_t timecounter;
std::uint64_t tempcounter;

// After a stall, at most this many frames run back to back before the rhythm resumes.
constexpr std::uint64_t catchup = 8;

void framesleep(unsigned char mode) {
    fpsupdate(mode >= 1 && mode <= 3);

    if (mode == 3)
        present(screen, 0, 0, screencols - 1, screenrows - 1);
    else if (mode == 2)
        present(screen, 76, 24, 79, 24);

    tempcounter = ticks();
    std::uint64_t elapsed = tempcounter - timecounter;
    if (elapsed > catchup * frameint) {
        timecounter = tempcounter - catchup * frameint;
        elapsed = catchup * frameint;
    }
    // A busy wait: sleeping would hand the wake-up time to the scheduler and cost the frame its
    // precision.
    while (elapsed < frameint) {
        tempcounter = ticks();
        elapsed = tempcounter - timecounter;
    }
    // The schedule is absolute, so time spent by the caller never accumulates into drift.
    timecounter += frameint;
    pump();
}

#include "console/screen.h"
#include "platform/platform.h"

std::uint64_t cputimersecond;
std::uint64_t frameint;
std::uint64_t timecounter;

// After a stall, at most this many frames run back to back before the rhythm resumes.
constexpr std::uint64_t catchup = 8;

namespace {

// The frame is slept through up to a margin before its boundary, and the margin is waited out on
// the counter, so the boundary is kept exactly whenever the machine wakes a sleeper within the
// margin. The margin follows how late this machine wakes a sleeper: the worst of the last two
// seconds' wake-ups plus a step, never below a floor. Late wake-ups come in bursts on a busy or
// virtual machine; two seconds of memory carries the margin across the quiet frames inside a
// burst. Its cap is half a millisecond: a timer that wakes later than that shows the frame late
// by the difference, and changes no rule, since the schedule is absolute and keys reach the frame
// of their own time; a margin that chased such a timer spun up to a fifth of a core.
// Once a wake-up in those two seconds came later than the cap, the margin is none at all: the
// machine is busy, and there a process that spins at the end of its frame is woken later for it
// next time (measured beside two busy processes: wake-ups half a millisecond early and waited out
// ended 3 ms late on one frame in ten, plain wake-ups at the boundary on one in a hundred).
// All in thousandths of a millisecond, turned into ticks of the counter.
constexpr std::uint64_t floorus = 250, stepus = 100, capus = 500;
constexpr int remembered = 120;
std::uint64_t late[remembered];
int latest = 0;
std::uint64_t lateat = 0; // the counter rate the remembered lateness was measured in

std::uint64_t us(std::uint64_t n) {
    return cputimersecond * n / 1000000u;
}

std::uint64_t margin() {
    if (lateat != cputimersecond) {
        // A new counter: until it has been measured, assume a machine that wakes late.
        lateat = cputimersecond;
        for (std::uint64_t& l : late)
            l = us(capus);
    }
    std::uint64_t most = 0;
    for (std::uint64_t l : late)
        most = l > most ? l : most;
    if (most > us(capus))
        return 0;
    std::uint64_t m = most + us(stepus);
    const std::uint64_t low = us(floorus) > 0 ? us(floorus) : 1;
    const std::uint64_t high = us(capus) < frameint / 2 ? us(capus) : frameint / 2;
    return m < low ? low : m > high ? high : m;
}

void remember(std::uint64_t lateness) {
    late[latest] = lateness;
    latest = (latest + 1) % remembered;
}

} // namespace

void framesleep(unsigned char mode) {
    frameshow(mode);

    const std::uint64_t now = ticks();
    std::uint64_t elapsed = now - timecounter;
    if (elapsed > catchup * frameint) {
        timecounter = now - catchup * frameint;
        elapsed = catchup * frameint;
    }
    const std::uint64_t m = margin();
    if (elapsed + m < frameint) {
        const std::uint64_t wake = timecounter + frameint - m;
        // A signal may end the sleep early; a few more tries, then the counter takes over.
        for (int tries = 0; tries < 4 && elapsed + m < frameint; tries++) {
            sleepuntil(wake);
            elapsed = ticks() - timecounter;
        }
        remember(elapsed + m > frameint ? elapsed + m - frameint : 0);
    }
    while (elapsed < frameint)
        elapsed = ticks() - timecounter;
    // The schedule is absolute, so time spent by the caller never accumulates into drift.
    timecounter += frameint;
    pump(timecounter + frameint);
}

// The counter and the calendar on Linux.
#include "platform/platform.h"

#include <ctime>
#ifdef __linux__
#include <sys/prctl.h>
#endif

std::uint64_t ticks() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<std::uint64_t>(t.tv_sec) * 1000000000u +
           static_cast<std::uint64_t>(t.tv_nsec);
}

std::uint64_t tickrate() {
    return 1000000000u;
}

void sleepuntil(std::uint64_t tick) {
#ifdef __linux__
    // The kernel may otherwise let a sleeper's wake-up slip by 50 microseconds to batch timers;
    // the frame's last stretch is waited out on the counter, and the less of it the better.
    static const bool tight = prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL) == 0;
    (void)tight;
#endif
    timespec t;
    t.tv_sec = static_cast<time_t>(tick / 1000000000u);
    t.tv_nsec = static_cast<long>(tick % 1000000000u);
    clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &t, nullptr);
}

// Narrowed as a 32-bit time value would be; the seed rule sign-extends it again.
std::int32_t wallclock() {
    return static_cast<std::int32_t>(std::time(nullptr));
}

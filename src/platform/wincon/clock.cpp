// The counter, the frame sleep and the calendar on Windows.
#include "platform/platform.h"

#include <ctime>
#include <windows.h>

#include <mmsystem.h>

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

namespace {

struct clockstate {
    std::uint64_t rate = 0;
    // A high-resolution waitable timer wakes within a fraction of a millisecond on Windows 10
    // 1803 and later. Older systems (and Wine) refuse the flag; they sleep in whole milliseconds
    // instead.
    HANDLE timer = nullptr;
    bool timertried = false;
};
clockstate state;

HANDLE waitable() {
    if (!state.timertried) {
        state.timertried = true;
        state.timer = CreateWaitableTimerExW(
            nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION, TIMER_ALL_ACCESS);
        // Without it, Sleep rounds up to the default 15.6 ms tick.
        if (!state.timer)
            timeBeginPeriod(1);
    }
    return state.timer;
}

} // namespace

std::uint64_t ticks() {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<std::uint64_t>(t.QuadPart);
}

std::uint64_t tickrate() {
    if (state.rate == 0) {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        state.rate = static_cast<std::uint64_t>(f.QuadPart);
    }
    return state.rate;
}

void sleepuntil(std::uint64_t tick) {
    std::uint64_t now = ticks();
    if (tick <= now)
        return;
    // In units of 100 ns, the waitable timer's own.
    std::uint64_t left = (tick - now) * 10000000u / tickrate();
    if (HANDLE t = waitable()) {
        LARGE_INTEGER due;
        due.QuadPart = -static_cast<LONGLONG>(left); // negative: relative to now
        if (SetWaitableTimer(t, &due, 0, nullptr, nullptr, FALSE)) {
            WaitForSingleObject(t, INFINITE);
            return;
        }
    }
    // Sleep may overshoot by up to a millisecond even at the finest timer period, so it stops one
    // short and leaves the rest to the caller's wait on the counter.
    DWORD ms = static_cast<DWORD>(left / 10000u);
    if (ms > 1)
        Sleep(ms - 1);
}

// Narrowed as a 32-bit time value would be; the seed rule sign-extends it again.
std::int32_t wallclock() {
    return static_cast<std::int32_t>(std::time(nullptr));
}

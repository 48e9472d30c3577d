// The counter of the page: the browser's `performance.now()` with the time the page was hidden
// left out, so a hidden tab's game stands still and comes back without frames to catch up. Key
// events are stamped on the same clock by the page's script.
#include "platform/platform.h"
#include "platform/web/web.h"

#include <emscripten/emscripten.h>

namespace {

// Six million ticks a second: a frame is exactly 100000 of them, so 60.000 frames a second.
constexpr std::uint64_t rate = 6000000;
bool waited = false;

EM_JS(double, jsclock, (), { return Module.page.clock(); });

EM_JS(double, jsdate, (), { return Math.floor(Date.now() / 1000); });

EM_ASYNC_JS(void, jswait, (double ms), { await Module.page.wait(ms); });

} // namespace

std::uint64_t ticks() {
    return static_cast<std::uint64_t>(jsclock());
}

std::uint64_t tickrate() {
    return rate;
}

void webwait(double ms) {
    jswait(ms);
    waited = true;
}

bool webwaited() {
    const bool was = waited;
    waited = false;
    return was;
}

// The browser's timers count whole milliseconds and wake late, never early: the wait ends at the
// last whole millisecond before the tick and the frame's wait spins out the rest, so frames keep
// closer to their boundaries (and the frame meter redraws less often) than with a timer rounded
// up. Under a millisecond there is nothing to wait for.
void sleepuntil(std::uint64_t tick) {
    const std::uint64_t now = ticks();
    const std::uint64_t ms = tick > now ? (tick - now) * 1000 / rate : 0;
    if (ms >= 1)
        webwait(static_cast<double>(ms));
}

std::int32_t wallclock() {
    return static_cast<std::int32_t>(jsdate());
}

// Time to present a frame in the window at 2x with SDL's software renderer (on the dummy video
// driver unless SDL_VIDEODRIVER says otherwise): a game frame where a piece moves and the meter
// ticks, a frame where nothing changed, and a frame where every cell changed (a palette change or
// a new screen). Prints the median, 99th percentile and worst, in microseconds.
#include "console/screen.h"
#include "platform/window/window.h"

#include <SDL.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

cell frame[screenrows * screencols];

template <class F> void measure(const char* what, int n, F change) {
    std::vector<double> us;
    us.reserve(n);
    for (int i = 0; i < n; i++) {
        change(i);
        auto t0 = std::chrono::steady_clock::now();
        windowpresent(frame, 0, 0, screencols - 1, screenrows - 1);
        auto t1 = std::chrono::steady_clock::now();
        us.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
        windowpump();
    }
    std::sort(us.begin(), us.end());
    std::printf("%-28s median %7.1f us   p99 %7.1f us   worst %7.1f us\n", what, us[n / 2],
                us[n * 99 / 100], us.back());
}

} // namespace

int main() {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_RENDER_DRIVER", "software", 0);
    windowopen();
    SDL_SetWindowSize(windowhandle(), 1280, 800);
    windowpump();
    SDL_RendererInfo info{};
    SDL_GetRendererInfo(windowrenderer(), &info);
    std::printf("driver %s, renderer %s, scale %d\n", SDL_GetCurrentVideoDriver(), info.name,
                windowscale());
    for (int i = 0; i < screenrows * screencols; i++)
        frame[i] = {static_cast<std::uint16_t>('A' + i % 26), 0x70};
    windowpresent(frame, 0, 0, screencols - 1, screenrows - 1);

    const int n = 3000;
    measure("game frame (10 cells)", n, [](int i) {
        for (int k = 0; k < 8; k++)
            frame[(4 + i % 18) * screencols + 30 + k] = {0xB1, static_cast<std::uint16_t>(i % 16)};
        frame[24 * screencols + 79] = {static_cast<std::uint16_t>('0' + i % 10), 0x70};
    });
    measure("unchanged frame", n, [](int) {});
    measure("every cell changed", n, [](int i) {
        for (cell& c : frame)
            c.attr = static_cast<std::uint16_t>(i % 2 ? 0x70 : 0x1F);
    });
    // The rest of an idle frame in the window: taking in events and the key state.
    std::vector<double> us;
    for (int i = 0; i < n; i++) {
        auto t0 = std::chrono::steady_clock::now();
        windowpump();
        us.push_back(
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t0)
                .count());
    }
    std::sort(us.begin(), us.end());
    std::printf("%-28s median %7.1f us   p99 %7.1f us\n", "pump (events, keys)", us[n / 2],
                us[n * 99 / 100]);
    windowclose();
    return 0;
}

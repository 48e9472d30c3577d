// Prints how long start-up waits for the 60 sounds (the device opens and they load on a thread of
// their own meanwhile), when they are all ready, how much memory they take, and what one play
// request costs. Runs on the machine's own sound output and on SDL's dummy driver.
// Usage: audioload [FOLDER holding audio/]
#include "console/sound.h"
#include "platform/sdlsound/sdlsound.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

namespace {

double msince(std::chrono::steady_clock::time_point t) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t).count();
}

long residentkb() {
    long pages = 0, resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return resident * 4;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void measure(const char* label) {
    const int rounds = 7;
    std::vector<double> asked, ready;
    std::size_t bytes = 0;
    long grew = 0;
    const char* driver = "none";
    for (int r = 0; r < rounds; r++) {
        long before = residentkb();
        auto t = std::chrono::steady_clock::now();
        for (const char* name : soundcatalogue)
            loadsound(name);
        asked.push_back(msince(t));
        soundready();
        ready.push_back(msince(t));
        bytes = soundbytes();
        if (r == 0)
            grew = residentkb() - before;
        if (SDL_GetCurrentAudioDriver())
            driver = SDL_GetCurrentAudioDriver();
        if (r < rounds - 1)
            soundclose();
    }
    const int requests = 6000;
    auto t = std::chrono::steady_clock::now();
    for (int i = 0; i < requests; i++)
        playsound(soundcatalogue[i % 60]);
    double each = msince(t) * 1000 / requests;
    soundclose();
    std::printf("%-8s driver %-10s start-up waits %6.2f ms for the 60 sounds (max %6.2f); device "
                "open and all loaded after %7.2f ms (max %7.2f; median and max of %d)\n",
                label, driver, median(asked), *std::max_element(asked.begin(), asked.end()),
                median(ready), *std::max_element(ready.begin(), ready.end()), rounds);
    std::printf("%-8s sample data %zu bytes (%.2f MiB), resident memory grew by %ld KiB on the "
                "first round; one play request %.2f us\n",
                label, bytes, static_cast<double>(bytes) / (1 << 20), grew, each);
}

} // namespace

int main(int argc, char** argv) {
    std::filesystem::current_path(argc > 1 ? argv[1] : SOUNDSET_HOME);
    measure("machine");
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    measure("dummy");
    return 0;
}

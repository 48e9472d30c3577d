// One in-game frame of work and drawing, without the wait for the frame boundary, under random
// play. Prints the median and the 99th percentile of single frames.
#include "console/screen.h"
#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "shell/ingameloop.h"
#include "shell/ingamev.h"
#include "shell/modes.h"
#include "shell/random.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <vector>

static void frame(benchmark::State& state) {
    const unsigned char mode = static_cast<unsigned char>(state.range(0));
    const unsigned char codes[6] = {0x26, 0x28, 0x25, 0x27, 0x58, 0x5A};
    headless::reset();
    initscreen();
    seed(1);
    std::mt19937 rng(mode);
    std::vector<double> samples;
    samples.reserve(1 << 20);
    gamesetup(mode);
    for (auto _ : state) {
        state.PauseTiming();
        for (unsigned char code : codes)
            if (rng() % 6 == 0)
                keydown(code) ? headless::release(code) : headless::press(code);
        if (ingamev.over)
            gamesetup(mode);
        if (samples.size() % 1024 == 0)
            headless::clearrecords();
        state.ResumeTiming();
        auto t0 = std::chrono::steady_clock::now();
        gameframe();
        auto t1 = std::chrono::steady_clock::now();
        samples.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
    }
    std::sort(samples.begin(), samples.end());
    auto at = [&](double q) { return samples[static_cast<std::size_t>(q * (samples.size() - 1))]; };
    state.counters["p50_us"] = at(0.50);
    state.counters["p99_us"] = at(0.99);
    std::printf("mode %d: %zu frames, median %.2f us, 99th percentile %.2f us, worst %.2f us\n",
                mode, samples.size(), at(0.50), at(0.99), samples.back());
}
BENCHMARK(frame)->DenseRange(0, modecount - 1)->Iterations(200000);

int main(int argc, char** argv) {
    // A game reads and may create "savefile" in the working folder: keep it out of the caller's.
    auto dir = std::filesystem::temp_directory_path() / "dropple-ingame-bench";
    std::filesystem::create_directories(dir);
    std::filesystem::current_path(dir);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(dir);
}

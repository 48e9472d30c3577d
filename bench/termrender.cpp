// Bytes the terminal renderer writes per presented frame, and the time a present takes, for the
// frames the game shows most: nothing but the meter changed, one piece moving, and full repaints.
#include "console/screen.h"
#include "platform/term/render.h"
#include "shell/ingameloop.h"
#include "shell/modes.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <unistd.h>

namespace {

cell frame[screenrows * screencols];

void put(int row, int col, unsigned char ch, std::uint16_t attr) {
    frame[row * screencols + col] = {ch, attr};
}

void text(int row, int col, const char* s, std::uint16_t attr) {
    for (; *s != '\0'; s++)
        put(row, col++, static_cast<unsigned char>(*s), attr);
}

void meter(const char* digits) {
    text(24, 76, digits, 0x70);
}

// A game under way: a playfield with a few filled rows, the panels around it, and the falling
// piece (a T, two characters per cell) with its ghost at column `x` of the field.
void game(int x) {
    for (auto& c : frame)
        c = {' ', 0x70};
    for (int r = 2; r < 22; r++)
        for (int c = 30; c < 50; c++)
            put(r, c, ' ', 0x00);
    for (int r = 18; r < 22; r++)
        for (int c = 30; c < 50; c++)
            if ((r * 7 + c / 2 * 3) % 5 != 0)
                put(r, c, 0xDB, static_cast<std::uint16_t>(1 + (r + c / 2) % 7));
    text(1, 4, "SCORE", 0x70);
    text(2, 4, "0012345", 0x70);
    text(4, 4, "LINES 037", 0x70);
    text(1, 54, "NEXT", 0x70);
    meter("60.0");
    auto cellat = [](int r, int c, unsigned char ch, std::uint16_t attr) {
        put(r, 30 + 2 * c, ch, attr);
        put(r, 31 + 2 * c, ch, attr);
    };
    // Ghost, then piece.
    for (int c = x; c < x + 3; c++)
        cellat(17, c, 0xB0, 0x05);
    cellat(16, x + 1, 0xB0, 0x05);
    for (int c = x; c < x + 3; c++)
        cellat(6, c, 0xDB, 0x0D);
    cellat(5, x + 1, 0xDB, 0x0D);
}

void run(benchmark::State& state, void (*before)(long), void (*setup)()) {
    renderinit(true, 80, 25);
    setup();
    renderput(frame, 0, 0, 79, 24);
    renderframe();
    std::size_t bytes = 0;
    long n = 0;
    for (auto _ : state) {
        before(n++);
        renderput(frame, 0, 0, 79, 24);
        bytes += renderframe().size();
    }
    state.counters["bytes/frame"] = static_cast<double>(bytes) / static_cast<double>(n);
}

void unchanged(benchmark::State& state) {
    run(
        state, [](long) {}, [] { game(3); });
}

void meterdigits(benchmark::State& state) {
    run(
        state, [](long n) { meter(n % 2 ? "59.9" : "60.0"); }, [] { game(3); });
}

void piecemoves(benchmark::State& state) {
    run(
        state, [](long n) { game(n % 2 ? 4 : 3); }, [] { game(3); });
}

void repaint(benchmark::State& state) {
    run(
        state, [](long) { renderinvalidate(); }, [] { game(3); });
}

// Every cell a different byte and colour pair from its neighbour: the most a frame can cost.
void repaintworst(benchmark::State& state) {
    run(
        state, [](long) { renderinvalidate(); },
        [] {
            for (int i = 0; i < screenrows * screencols; i++)
                frame[i] = {static_cast<std::uint16_t>(0x80 + i % 128),
                            static_cast<std::uint16_t>((i * 37) % 256)};
        });
}

// The real game with nobody at the keys: pieces fall, lock and pile up, the counters and the clock
// run. Averaged over whole games, with the costliest frame beside it.
void gameplay(benchmark::State& state) {
    // Starting a game reads the settings file, and writes one where there is none.
    char dir[] = "/tmp/dropple-bench-XXXXXX";
    if (mkdtemp(dir) == nullptr || chdir(dir) != 0) {
        state.SkipWithError("no folder for the settings file");
        return;
    }
    renderinit(true, 80, 25);
    gamesetup(dropple2);
    std::size_t bytes = 0, most = 0;
    long n = 0;
    for (auto _ : state) {
        if (!gameframe())
            gamesetup(dropple2);
        renderput(screen, 0, 0, 79, 24);
        std::size_t b = renderframe().size();
        if (n++ > 0) {
            bytes += b;
            most = std::max(most, b);
        }
    }
    state.counters["bytes/frame"] = static_cast<double>(bytes) / static_cast<double>(n - 1);
    state.counters["most"] = static_cast<double>(most);
    std::remove((std::string(dir) + "/savefile").c_str());
    rmdir(dir);
}

} // namespace

BENCHMARK(gameplay)->Iterations(3600);
BENCHMARK(unchanged);
BENCHMARK(meterdigits);
BENCHMARK(piecemoves);
BENCHMARK(repaint);
BENCHMARK(repaintworst);
BENCHMARK_MAIN();

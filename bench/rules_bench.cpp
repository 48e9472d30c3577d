// Cost of the rules operations the game runs most often within a frame.
#include "platform/headless/headless.h"
#include "rules/rules.h"
#include "shell/ingamev.h"

#include <benchmark/benchmark.h>

#include <cstring>

namespace {

struct piece {
    std::uint16_t x[4], y[4], px, py;
    std::uint8_t rotation;
};

piece save() {
    piece p;
    std::memcpy(p.x, ingamev.piecex, sizeof p.x);
    std::memcpy(p.y, ingamev.piecey, sizeof p.y);
    p.px = ingamev.pivotx;
    p.py = ingamev.pivoty;
    p.rotation = ingamev.rotation;
    return p;
}

void restore(const piece& p) {
    std::memcpy(ingamev.piecex, p.x, sizeof p.x);
    std::memcpy(ingamev.piecey, p.y, sizeof p.y);
    ingamev.pivotx = p.px;
    ingamev.pivoty = p.py;
    ingamev.rotation = p.rotation;
}

void clearboard() {
    std::memset(ingamev.board, 0, sizeof ingamev.board);
}

// A T flat side down with cell 0 at column 5 of the given row.
void spawnt(std::uint16_t row) {
    const std::int8_t(&shape)[4][2] = ingamev.shapes[6];
    ingamev.current = 6;
    ingamev.rotation = 0;
    ingamev.pivotx = 5;
    ingamev.pivoty = row;
    for (int i = 0; i < 4; i++) {
        ingamev.piecex[i] = static_cast<std::uint16_t>(5 + shape[i][0]);
        ingamev.piecey[i] = static_cast<std::uint16_t>(row + shape[i][1]);
    }
    ingamev.active = 1;
    ingamev.ars = 0;
    ingamev.onground = 0;
    ingamev.lockdelay = 30;
    ingamev.locktimer = 30;
    ingamev.resetsleft = 5;
}

// The sound record of the test back end grows with every turn; empty it now and then.
void trimsounds(std::uint64_t n) {
    if ((n & 4095) == 0)
        headless::clearrecords();
}

// Clockwise from spawn with the first four tests blocked, so all five are tried and the last one
// is taken.
void rotationfivetests(benchmark::State& state) {
    headless::reset();
    clearboard();
    spawnt(10);
    // Turned in place the T needs (5, 9); kicked by (1, 0) and (1, 1) it needs (6, 11), by (0, -2)
    // it needs (5, 7). Kicked by (1, -2) it is free.
    ingamev.board[9][5] = 1;
    ingamev.board[11][6] = 1;
    ingamev.board[7][5] = 1;
    const piece start = save();
    std::uint64_t n = 0;
    for (auto _ : state) {
        restore(start);
        rotaterightSRS();
        benchmark::DoNotOptimize(ingamev.piecex);
        trimsounds(++n);
    }
    if (ingamev.rotation != 1 || ingamev.pivotx != 6 || ingamev.pivoty != 8)
        state.SkipWithError("the turn did not take the fifth test");
}

void rotationallfail(benchmark::State& state) {
    headless::reset();
    std::memset(ingamev.board, 1, sizeof ingamev.board);
    spawnt(10);
    std::uint64_t n = 0;
    for (auto _ : state) {
        rotaterightSRS();
        benchmark::DoNotOptimize(ingamev.piecex);
        trimsounds(++n);
    }
}

// The ghost of a piece at the top of an empty well: the longest way down.
void ghosttallboard(benchmark::State& state) {
    headless::reset();
    clearboard();
    spawnt(24);
    for (auto _ : state) {
        ghostupdate();
        benchmark::DoNotOptimize(ingamev.ghosty);
    }
    if (ingamev.ghosty[0] != 0)
        state.SkipWithError("the ghost is not on the floor");
}

void harddropemptywell(benchmark::State& state) {
    headless::reset();
    clearboard();
    spawnt(24);
    const piece start = save();
    for (auto _ : state) {
        restore(start);
        harddrop();
        benchmark::DoNotOptimize(ingamev.piecey);
    }
    if (ingamev.pivoty != 0)
        state.SkipWithError("the drop did not reach the floor");
}

} // namespace

BENCHMARK(rotationfivetests);
BENCHMARK(rotationallfail);
BENCHMARK(ghosttallboard);
BENCHMARK(harddropemptywell);

BENCHMARK_MAIN();

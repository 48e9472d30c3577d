// Prints figures of the Windows back end on this machine: the time the multimedia command strings
// take (opening the sound set, one play request) and how close the frame sleep wakes to its
// target. Run in the folder that holds `audio`. It prints; it never fails.
#include "console/sound.h"
#include "platform/platform.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <mmsystem.h>
#include <string>
#include <vector>

namespace {

double ms(std::uint64_t t) {
    return 1000.0 * static_cast<double>(t) / static_cast<double>(tickrate());
}

void report(const char* what, std::vector<double> v) {
    std::sort(v.begin(), v.end());
    std::printf("%-34s median %7.3f ms, worst %7.3f ms (%zu calls)\n", what, v[v.size() / 2],
                v.back(), v.size());
}

// The same command the game's worker sends, timed on this thread.
double timed(const std::string& command) {
    std::uint64_t t = ticks();
    mciSendStringA(command.c_str(), nullptr, 0, nullptr);
    return ms(ticks() - t);
}

} // namespace

int main() {
    std::vector<double> opens, plays, late;
    std::uint64_t all = ticks();
    for (const char* name : soundcatalogue)
        opens.push_back(
            timed(std::string("open \"audio\\") + name + "\" type waveaudio alias " + name));
    std::printf("opening the 60 sounds: %.1f ms\n", ms(ticks() - all));
    report("open one sound", opens);
    for (int i = 0; i < 60; i++)
        plays.push_back(timed(std::string("play ") + soundcatalogue[i] + " from 0"));
    for (int i = 0; i < 60; i++)
        plays.push_back(timed("play lock.wav from 0"));
    report("play request", plays);
    mciSendStringA("close all", nullptr, 0, nullptr);

    std::uint64_t frame = (tickrate() + 30) / 60;
    std::uint64_t next = ticks() + frame;
    for (int i = 0; i < 120; i++, next += frame) {
        sleepuntil(next);
        std::uint64_t now = ticks();
        late.push_back(now >= next ? ms(now - next) : -ms(next - now));
    }
    HANDLE fine = CreateWaitableTimerExW(nullptr, nullptr, 0x2, TIMER_ALL_ACCESS);
    std::printf("high-resolution waitable timer: %s\n", fine ? "yes" : "no, millisecond sleeps");
    report("frame sleep, late by", late);
    return 0;
}

// What the frame wait costs and how exactly it keeps time, beside the old wait that spun on the
// counter for the whole frame, measured in the same run:
// - CPU of the real game in a pseudo-terminal, idle in the main menu and in a running game,
//   from /proc over `seconds` (default 30) each; where there is an X display, the game in its
//   window too (keys through xdotool);
// - the frame period on the real counter over `frames` frames (default 3600), on the machine as
//   it is and again with two busy processes competing for it. A third column wakes on the timer
//   alone, with no margin and no wait on the counter: how late this machine's timer wakes a
//   sleeper, which is all a sleeping wait can go wrong by beyond its margin.
// Usage: pacing [seconds [frames]]   (frames: for each wait)
#include "console/screen.h"
#include "platform/platform.h"
#include "procstat.h"
#include "ptyrun.h"
#include "spinwait.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string loadavg() {
    std::ifstream f("/proc/loadavg");
    std::string s;
    std::getline(f, s);
    return s;
}

// Share of one core the process used over the next `seconds`, while `pass` spends them (reading
// the game's terminal, or only sleeping).
template <class F> double share(pid_t pid, int seconds, F pass) {
    const double before = cpuof(pid);
    const auto start = std::chrono::steady_clock::now();
    pass(seconds * 1000);
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return (cpuof(pid) - before) / wall * 100.0;
}

double share(ptyrun& g, int seconds) {
    return share(g.player, seconds, [&](int ms) { g.wait(ms); });
}

// A key pressed and let go, as separate reports of the keyboard protocol a little apart.
void tap(ptyrun& g, const std::string& press, const std::string& release) {
    g.type(press, 40), g.type(release, 80);
}

void sleepms(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

double share(pid_t pid, int seconds) {
    return share(pid, seconds, sleepms);
}

struct cpu {
    double menu = 0, game = 0;
    bool played = false;
};

// The game in its menu, then in "Dropple 2" (seven rows down) with nobody at the keys; its output
// is read as it comes, so it never waits on a full terminal.
cpu measure(const std::string& program, int seconds) {
    cpu r;
    ptyrun g;
    g.answer = "\x1b[?0u\x1b[?62;c";
    if (!g.start({program}))
        return r;
    g.wait(1500);
    r.menu = share(g, seconds);
    for (int i = 0; i < 7; i++)
        tap(g, "\x1b[B", "\x1b[1;1:3B"); // Down
    tap(g, "\x1b[13u", "\x1b[13;1:3u");  // Return
    g.wait(1000);
    r.game = share(g, seconds);
    r.played = g.shown("score:");
    return r;
}

// The game in a window of its own, the same way; nothing measured without a display and xdotool.
cpu measurewindow(const std::string& program, int seconds) {
    cpu r;
    if (!std::getenv("DISPLAY") || std::system("command -v xdotool >/dev/null") != 0)
        return r;
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("dropple-pacing-w" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const pid_t pid = fork();
    if (pid == 0) {
        setenv("XDG_DATA_HOME", dir.c_str(), 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        execl(program.c_str(), program.c_str(), "--window", static_cast<char*>(nullptr));
        _exit(127);
    }
    const char* keys =
        "xdotool search --sync --name '^Dropple$' windowfocus --sync key --delay 120 "
        "Down Down Down Down Down Down Down Return";
    sleepms(1500);
    r.menu = share(pid, seconds);
    r.played = std::system(keys) == 0;
    sleepms(1000);
    r.game = share(pid, seconds);
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    std::filesystem::remove_all(dir);
    return r;
}

struct precision {
    double mean = 0, p99 = 0, worst = 0;
};

// Periods between the returns of successive waits, against 1/60 s. The waits take turns in blocks
// of five seconds, so a busy spell of the machine falls on all of them alike rather than on
// whichever ran at the time; the first period of a block (the change of wait) is not counted.
std::vector<precision> pace(std::vector<void (*)(unsigned char)> waits, int frames) {
    initscreen();
    constexpr int block = 300;
    const double rate = static_cast<double>(tickrate()), ideal = 1000.0 / 60.0;
    std::vector<std::vector<double>> deviation(waits.size());
    std::vector<double> total(waits.size());
    for (int done = 0; done < frames; done += block)
        for (std::size_t w = 0; w < waits.size(); w++) {
            timecounter = ticks(); // or the wait would run the missed frames back to back
            waits[w](3);
            std::uint64_t last = ticks();
            for (int i = 0; i < block; i++) {
                waits[w](3);
                const std::uint64_t now = ticks();
                const double ms = static_cast<double>(now - last) * 1000.0 / rate;
                deviation[w].push_back(std::fabs(ms - ideal));
                total[w] += ms;
                last = now;
            }
        }
    std::vector<precision> out;
    for (std::size_t w = 0; w < waits.size(); w++) {
        std::vector<double>& d = deviation[w];
        std::sort(d.begin(), d.end());
        out.push_back({total[w] / static_cast<double>(d.size()), d[d.size() * 99 / 100], d.back()});
    }
    return out;
}

void table(const char* title, int frames) {
    const std::vector<precision> p = pace({framesleep, spinsleep, timersleep}, frames);
    const precision &now = p[0], &old = p[1], &timer = p[2];
    const double ideal = 1000.0 / 60.0;
    std::printf("%s, %d frames each, in turns\n", title, frames);
    std::printf("                                     sleeping    spinning   timer alone\n");
    std::printf("  mean period (ms)                  %9.5f   %9.5f     %9.5f\n", now.mean, old.mean,
                timer.mean);
    std::printf("  off 1/60 s by (%%)                 %9.5f   %9.5f     %9.5f\n",
                (now.mean - ideal) / ideal * 100.0, (old.mean - ideal) / ideal * 100.0,
                (timer.mean - ideal) / ideal * 100.0);
    std::printf("  p99 deviation (ms)                %9.4f   %9.4f     %9.4f\n", now.p99, old.p99,
                timer.p99);
    std::printf("  worst deviation (ms)              %9.4f   %9.4f     %9.4f\n", now.worst,
                old.worst, timer.worst);
    std::printf("  load: %s\n", loadavg().c_str());
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 30;
    const int frames = argc > 2 ? std::atoi(argv[2]) : 3600;
    std::printf("load at the start: %s\n", loadavg().c_str());
    std::fflush(stdout);

    if (seconds > 0) {
        const cpu now = measure(SLEEPING_GAME, seconds), old = measure(SPINNING_GAME, seconds),
                  win = measurewindow(SLEEPING_GAME, seconds);
        std::printf("CPU of the game, %d s each (%% of one core)   terminal   window   old wait, "
                    "terminal\n",
                    seconds);
        std::printf("  main menu                                    %7.2f  %7.2f  %7.2f\n",
                    now.menu, win.menu, old.menu);
        std::printf("  running game                                 %7.2f  %7.2f  %7.2f\n",
                    now.game, win.game, old.game);
        // A row measured in the menu again says nothing of a game.
        const cpu* rows[3] = {&now, &win, &old};
        const char* names[3] = {"terminal", "window", "old wait"};
        for (int i = 0; i < 3; i++)
            if (!rows[i]->played)
                std::printf("  (%s: no game started, its second row is the menu again%s)\n",
                            names[i], i == 1 ? ", or there is no X display" : "");
        std::printf("  load: %s\n", loadavg().c_str());
        std::fflush(stdout);
    }

    if (frames > 0) {
        table("frame period, machine as it is", frames);
        std::vector<pid_t> busy;
        for (int i = 0; i < 2; i++) {
            const pid_t p = fork();
            if (p == 0) {
                static volatile unsigned long n = 0;
                for (;;)
                    n = n + 1;
            }
            busy.push_back(p);
        }
        table("frame period, two busy processes beside it", frames);
        for (pid_t p : busy) {
            kill(p, SIGKILL);
            waitpid(p, nullptr, 0);
        }
    }
    return 0;
}

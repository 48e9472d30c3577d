// What guarding the terminal costs beside the game itself: the real game in a pseudo-terminal,
// idle in its main menu, and for each of its processes (the guardian, the game, the minder and the
// minder's canary) the share of a core and the wake-ups a second over `seconds` (default 5), from
// /proc/PID/stat and the context switches in /proc/PID/status.
// Usage: guardcost [seconds [program]]   (program: another build of the game to measure)
#include "procstat.h"
#include "ptyrun.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct sample {
    double cpu = 0; // seconds of user and system time
    long wakes = 0; // voluntary and involuntary context switches
};

sample now(pid_t pid) {
    sample s;
    const double cpu = cpuof(pid);
    if (cpu < 0)
        return s;
    s.cpu = cpu;
    std::istringstream status(ptyrun::proc("/proc/" + std::to_string(pid) + "/status"));
    for (std::string line; std::getline(status, line);)
        if (line.find("ctxt_switches:") != std::string::npos)
            s.wakes += std::atol(line.substr(line.find(':') + 1).c_str());
    return s;
}

std::string loadavg() {
    std::string s = ptyrun::proc("/proc/loadavg");
    return s.substr(0, s.find('\n'));
}

} // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 5;
    const std::string program = argc > 2 ? argv[2] : GAME;
    ptyrun g;
    g.answer = "\x1b[?0u\x1b[?62;c";
    if (!g.start({program})) {
        std::printf("the game did not start\n");
        return 1;
    }
    g.wait(1500);
    const auto kids = ptyrun::children(g.pid);
    std::vector<std::pair<const char*, pid_t>> procs{{"game", g.player}, {"guardian", g.pid}};
    if (kids.size() > 1) {
        procs.push_back({"minder", kids[1]});
        for (pid_t c : ptyrun::children(kids[1]))
            procs.push_back({"canary", c});
    }
    std::vector<sample> before;
    for (auto& p : procs)
        before.push_back(now(p.second));
    const auto start = std::chrono::steady_clock::now();
    g.wait(seconds * 1000);
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%s, idle in the menu for %.1f s; load %s\n", program.c_str(), wall,
                loadavg().c_str());
    std::printf("%-9s %12s %12s\n", "process", "% of a core", "wakes/s");
    double guards = 0, game = 0;
    for (std::size_t i = 0; i < procs.size(); i++) {
        const sample after = now(procs[i].second);
        const double cpu = (after.cpu - before[i].cpu) / wall * 100;
        std::printf("%-9s %12.3f %12.1f\n", procs[i].first, cpu,
                    double(after.wakes - before[i].wakes) / wall);
        (i == 0 ? game : guards) += cpu;
    }
    std::printf("the guards together: %.3f %% of a core, %.1f %% of the game's own\n", guards,
                game > 0 ? guards / game * 100 : 0.0);
}

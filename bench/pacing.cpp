// Runs 600 frames on the real counter and prints how evenly they were paced.
#include "console/platform.h"
#include "console/screen.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

int main() {
    initscreen();
    framesleep(3);
    std::vector<std::uint64_t> at;
    at.push_back(ticks());
    for (int i = 0; i < 600; i++) {
        framesleep(3);
        at.push_back(ticks());
    }
    double rate = static_cast<double>(tickrate());
    double ideal = 1000.0 / 60.0;
    std::vector<double> deviation;
    for (size_t i = 1; i < at.size(); i++) {
        double ms = static_cast<double>(at[i] - at[i - 1]) * 1000.0 / rate;
        deviation.push_back(std::fabs(ms - ideal));
    }
    double mean = static_cast<double>(at.back() - at.front()) * 1000.0 / rate / 600.0;
    std::sort(deviation.begin(), deviation.end());
    double p99 = deviation[deviation.size() * 99 / 100];
    std::printf("frames: 600\nmean frame period: %.5f ms (ideal %.5f ms, off by %.4f %%)\n", mean,
                ideal, (mean - ideal) / ideal * 100.0);
    std::printf("p99 deviation from 1/60 s: %.4f ms\nmax deviation: %.4f ms\n", p99,
                deviation.back());
    return 0;
}

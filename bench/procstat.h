// What the kernel says of a process's processor time, for the benchmarks that print it.
#pragma once

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <sys/types.h>
#include <unistd.h>

// User and system time of a process so far, in seconds; negative once it is gone.
inline double cpuof(pid_t pid) {
    std::ifstream f("/proc/" + std::to_string(pid) + "/stat");
    const std::string s((std::istreambuf_iterator<char>(f)), {});
    const std::size_t name = s.rfind(')');
    if (name == std::string::npos)
        return -1;
    std::istringstream rest(s.substr(name + 2));
    std::string field;
    double utime = 0, stime = 0;
    for (int i = 3; i <= 15 && rest >> field; i++) {
        if (i == 14)
            utime = std::stod(field);
        if (i == 15)
            stime = std::stod(field);
    }
    return (utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

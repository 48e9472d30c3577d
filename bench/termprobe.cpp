// How long start-up of the keyboard keeps the first frame waiting: against a terminal that answers
// at once, and against a bare pseudo-terminal that answers nothing at all. Also what one frame's
// look at the input costs.
#include "platform/term/input.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace {

void reported(const char*, const char*) {}

double openms(const char* answers) {
    int master, slave;
    openpty(&master, &slave, nullptr, nullptr, nullptr);
    termios t;
    tcgetattr(slave, &t);
    cfmakeraw(&t);
    tcsetattr(slave, TCSANOW, &t);
    if (*answers) {
        ssize_t w = write(master, answers, std::char_traits<char>::length(answers));
        (void)w;
    }
    const auto start = std::chrono::steady_clock::now();
    keysopen(slave, slave, reported, nullptr);
    const auto end = std::chrono::steady_clock::now();
    keysclose();
    close(slave);
    close(master);
    return std::chrono::duration<double, std::milli>(end - start).count();
}

} // namespace

int main() {
    unsetenv("DISPLAY");
    setenv("SSH_TTY", "bench", 1);
    std::printf("keyboard start-up, terminal with the keyboard protocol: %.1f ms\n",
                openms("\x1b[?0u\x1b[?62;c"));
    std::printf("keyboard start-up, terminal without it:                 %.1f ms\n",
                openms("\x1b[?62;c"));
    std::printf("keyboard start-up, terminal that answers nothing:       %.1f ms (limit 200)\n",
                openms(""));

    int master, slave;
    openpty(&master, &slave, nullptr, nullptr, nullptr);
    keysopen(slave, slave, reported, nullptr);
    const int frames = 20000;
    auto start = std::chrono::steady_clock::now();
    for (int k = 0; k < frames; k++) {
        keyspoll(0, 0);
        for (int code = 254; code >= 0; code--)
            keysdown(static_cast<unsigned char>(code));
    }
    auto end = std::chrono::steady_clock::now();
    std::printf("one frame's poll and a scan of 255 codes: %.2f us\n",
                std::chrono::duration<double, std::micro>(end - start).count() / frames);
    keysclose();
    close(slave);
    close(master);
    return 0;
}

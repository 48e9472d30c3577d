// Key state from the kernel's input devices, where this user may read them. The devices are only
// looked at, never grabbed: the terminal still gets every key.
#include "platform/term/keys.h"

#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <linux/input.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

constexpr int most = 16;
int fds[most];
bool timed[most]; // the device's events carry the counter's time
int nfds = 0;

bool bit(const unsigned char* bits, int n) {
    return bits[n / 8] & (1 << (n % 8));
}

} // namespace

bool devopen() {
    nfds = 0;
    for (int k = 0; k < 64 && nfds < most; k++) {
        char path[32];
        std::snprintf(path, sizeof path, "/dev/input/event%d", k);
        const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        unsigned char keys[KEY_MAX / 8 + 1] = {};
        // Keyboards only: a device with letter keys and a space bar.
        if (ioctl(fd, EVIOCGBIT(EV_KEY, sizeof keys), keys) < 0 || !bit(keys, KEY_A) ||
            !bit(keys, KEY_SPACE)) {
            close(fd);
            continue;
        }
        // Events are timed by the wall clock unless asked otherwise. On the monotonic clock, which
        // is the game's counter, a key pressed during a stall reaches the frame of its own time.
        int clock = CLOCK_MONOTONIC;
        timed[nfds] = ioctl(fd, EVIOCSCLOCKID, &clock) == 0;
        fds[nfds++] = fd;
    }
    return nfds > 0;
}

void devread(bool* down, std::vector<keyevent>& changes) {
    for (int k = 0; k < nfds; k++) {
        input_event ev[32];
        for (ssize_t n; (n = read(fds[k], ev, sizeof ev)) > 0;) {
            for (std::size_t i = 0; i < static_cast<std::size_t>(n) / sizeof ev[0]; i++) {
                // Value 2 is the device's own key repeat: the key is down already.
                if (ev[i].type != EV_KEY || ev[i].value > 1 || ev[i].code >= 0x120)
                    continue;
                const std::uint64_t at =
                    timed[k] ? static_cast<std::uint64_t>(ev[i].time.tv_sec) * 1000000000u +
                                   static_cast<std::uint64_t>(ev[i].time.tv_usec) * 1000u
                             : 0;
                if (const unsigned char vk = linuxvk(ev[i].code))
                    changes.push_back({ev[i].value ? evpress : evrelease, vk, 0, 0, at});
            }
        }
        unsigned char keys[KEY_MAX / 8 + 1] = {};
        if (ioctl(fds[k], EVIOCGKEY(sizeof keys), keys) < 0)
            continue;
        for (int code = 0; code < 0x120; code++)
            if (bit(keys, code) && linuxvk(code))
                down[linuxvk(code)] = true;
    }
}

void devclose() {
    for (int k = 0; k < nfds; k++)
        close(fds[k]);
    nfds = 0;
}

#include "platform/term/output.h"
#include "platform/term/guard.h"

#include <cerrno>
#include <csignal>
#include <ctime>
#include <poll.h>
#include <unistd.h>

namespace {

long long nowms() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1000LL + t.tv_nsec / 1000000;
}

// One write of the picture, held off from the game's own handlers, so the terminal cannot be
// given back between finding it still the game's and the bytes going out.
ssize_t drawn(int fd, const char* bytes, std::size_t n, giveback* g) {
    sigset_t all, old;
    sigfillset(&all);
    sigprocmask(SIG_BLOCK, &all, &old);
    ssize_t w = -1;
    if (drawbegin(g)) {
        w = write(fd, bytes, n);
        const int e = errno;
        drawdone(g);
        errno = e;
    } else {
        errno = EPIPE;
    }
    sigprocmask(SIG_SETMASK, &old, nullptr);
    return w;
}

} // namespace

bool writeall(int fd, const char* bytes, std::size_t n, int waitms, giveback* picture) {
    const long long end = waitms > 0 ? nowms() + waitms : 0;
    while (n > 0) {
        const ssize_t w = picture ? drawn(fd, bytes, n, picture) : write(fd, bytes, n);
        if (w < 0 && errno == EINTR)
            continue;
        if (w < 0 && errno == EAGAIN && waitms != 0) {
            const long long left = waitms < 0 ? -1 : end - nowms();
            if (waitms > 0 && left <= 0)
                return false;
            pollfd p{fd, POLLOUT, 0};
            if (poll(&p, 1, static_cast<int>(left)) < 0 && errno != EINTR)
                return false;
            continue;
        }
        if (w <= 0)
            return false;
        bytes += w;
        n -= static_cast<std::size_t>(w);
    }
    return true;
}

#include "console/platform/term/output.h"

#include <cerrno>
#include <unistd.h>

void writeall(int fd, const char* bytes, std::size_t n, bool waitwhenfull) {
    while (n > 0) {
        const ssize_t w = write(fd, bytes, n);
        if (w < 0 && (errno == EINTR || (waitwhenfull && errno == EAGAIN)))
            continue;
        if (w <= 0)
            return;
        bytes += w;
        n -= static_cast<std::size_t>(w);
    }
}

// Bytes to the terminal: the one write loop of the terminal back end, for the picture, the
// keyboard's questions, the signal handlers and the guardian alike (async-signal-safe).
#pragma once

#include <cstddef>

// Writes all n bytes, going on after a signal. A terminal that someone left non-blocking may be
// full (EAGAIN): it is waited for when `waitwhenfull`; a signal handler gives up instead. Any
// other failure means the terminal is gone, and there is nothing left to show anything on.
void writeall(int fd, const char* bytes, std::size_t n, bool waitwhenfull);

// Bytes to the terminal: the one write loop of the terminal back end, for the picture, the
// keyboard's questions, the signal handlers and the guardian alike (async-signal-safe).
#pragma once

#include <cstddef>

struct giveback;

// Writes all n bytes, going on after a signal; true when all went out. A terminal that is full
// (a non-blocking descriptor says EAGAIN) is waited for, without spinning, for at most `waitms`
// milliseconds in all (forever when negative; a signal handler gives up at once with 0). Any
// other failure means the terminal is gone, and there is nothing left to show anything on.
// With `picture`, each write goes out only while the terminal is still the game's, and false once
// it has been given back.
bool writeall(int fd, const char* bytes, std::size_t n, int waitms, giveback* picture = nullptr);

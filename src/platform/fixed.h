// The console calls of a display that is always 80 by 25 cells of code page 437 (the terminal's
// picture sits in its middle, the window draws the font, the benchmark shows nothing): start-up's
// size and character set calls only agree.
#pragma once

#include "platform/platform.h"

namespace fixed {

inline void nothing() {}
// A display that hears every key by itself (a window, a console, a test).
inline bool everykey(unsigned char) {
    return true;
}
inline bool size(short* cols, short* rows) {
    *cols = screencols;
    *rows = screenrows;
    return true;
}
inline bool setsize(short, short) {
    return true;
}
inline bool setarea(short, short, short, short) {
    return true;
}

} // namespace fixed

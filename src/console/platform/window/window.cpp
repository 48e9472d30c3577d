// The window back end as a display table. The window is always 80 by 25 cells and shows code
// page 437 by its font, so the console's size and character set calls only agree.
#include "console/platform/window/window.h"
#include "console/platform.h"

namespace {

void nothing() {}

bool fixedsize(short* cols, short* rows) {
    *cols = 80;
    *rows = 25;
    return true;
}

bool sizeok(short, short) {
    return true;
}

bool windowok(short, short, short, short) {
    return true;
}

} // namespace

const backend windowbackend = {
    windowopen, windowclose, windowkeydown, nothing,          nothing,    fixedsize,
    sizeok,     windowok,    windowpresent, windowsetpalette, windowpump,
};

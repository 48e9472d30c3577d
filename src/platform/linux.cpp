// The Linux program shows itself in the terminal it was started from or, asked to, in a window of
// its own; the choice is made once, when the display is opened.
#include "platform/platform.h"
#include "platform/term/term.h"
#include "platform/window/window.h"

const backend* backendfor(display where) {
    return where == display::window ? &windowbackend : &termbackend;
}

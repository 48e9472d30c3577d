// The Linux program shows itself in the terminal it was started from or, asked to, in a window of
// its own; the choice is made once, when the display is opened. The window and the sound live in
// the SDL module: the window's table is taken from it as the window opens, and the terminal's
// first picture starts the sounds loading.
#include "platform/platform.h"
#include "platform/sdlload.h"
#include "platform/sdlparts.h"
#include "platform/term/term.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// Filled in from the module when the window opens; nothing else is asked of it before.
backend window;

void openwindow() {
    std::string why;
    const sdlparts* parts = sdlload(&why);
    if (!parts) {
        std::fprintf(stderr, "dropple: no window can be opened here (%s); play without --window.\n",
                     why.c_str());
        std::exit(1);
    }
    window = *parts->window;
    window.open();
}

void presentthensound(const cell* buffer, short left, short top, short right, short bottom) {
    termbackend.present(buffer, left, top, right, bottom);
    soundstart();
}

} // namespace

const backend* backendfor(display where) {
    if (where == display::window) {
        if (!window.open)
            window.open = openwindow;
        return &window;
    }
    static const backend terminal = [] {
        backend b = termbackend;
        b.present = presentthensound;
        return b;
    }();
    return &terminal;
}

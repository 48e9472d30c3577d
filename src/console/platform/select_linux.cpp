// On Linux the game shows itself in the terminal it was started from or, asked to, in a window of
// its own; the choice is made once, when the display is opened.
#include "console/platform.h"
#include "console/platform/backend.h"

namespace {

const backend* active = &termbackend;

} // namespace

bool canshow(display) {
    return true;
}

void platformopen(display where) {
    active = where == display::window ? &windowbackend : &termbackend;
    active->open();
}

void platformclose() {
    active->close();
}

bool keydown(unsigned char code) {
    return active->keydown(code);
}

void usecodepage437() {
    active->usecodepage437();
}

void hidecursor() {
    active->hidecursor();
}

bool consolesize(short* cols, short* rows) {
    return active->consolesize(cols, rows);
}

bool setbuffersize(short cols, short rows) {
    return active->setbuffersize(cols, rows);
}

bool setwindow(short left, short top, short right, short bottom) {
    return active->setwindow(left, top, right, bottom);
}

void present(const cell* buffer, short left, short top, short right, short bottom) {
    active->present(buffer, left, top, right, bottom);
}

void setpalette(const unsigned char* rgb) {
    active->setpalette(rgb);
}

void pump() {
    active->pump();
}

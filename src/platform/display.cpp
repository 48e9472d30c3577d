// The display functions of the seam, forwarded to the back end the game opened. Until it opens one
// (tests that draw without opening) the default display is the one in use.
#include "platform/platform.h"

namespace {

const backend* active = nullptr;

const backend& on() {
    if (!active)
        active = backendfor(display::terminal);
    return *active;
}

} // namespace

bool canshow(display where) {
    return backendfor(where) != nullptr;
}

void platformopen(display where) {
    active = backendfor(where);
    if (!active)
        active = backendfor(display::terminal);
    active->open();
}

void platformclose() {
    on().close();
}

bool keydown(unsigned char code) {
    return on().keydown(code);
}

bool keyseen(unsigned char code) {
    return on().keyseen(code);
}

void usecodepage437() {
    on().usecodepage437();
}

void hidecursor() {
    on().hidecursor();
}

bool consolesize(short* cols, short* rows) {
    return on().consolesize(cols, rows);
}

bool setbuffersize(short cols, short rows) {
    return on().setbuffersize(cols, rows);
}

bool setwindow(short left, short top, short right, short bottom) {
    return on().setwindow(left, top, right, bottom);
}

void present(const cell* buffer, short left, short top, short right, short bottom) {
    on().present(buffer, left, top, right, bottom);
}

void setpalette(const unsigned char* rgb) {
    on().setpalette(rgb);
}

void pump(std::uint64_t due) {
    on().pump(due);
}

bool leaving() {
    return on().leaving && on().leaving();
}

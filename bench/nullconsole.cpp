// A console, keyboard and sound that do nothing, for measuring the game's own timing on the real
// counter.
#include "console/platform.h"

bool canshow(display where) {
    return where == display::terminal;
}
void platformopen(display) {}
void platformclose() {}
bool keydown(unsigned char) {
    return false;
}
void usecodepage437() {}
void hidecursor() {}
bool consolesize(short* cols, short* rows) {
    *cols = 80;
    *rows = 25;
    return true;
}
bool setbuffersize(short, short) {
    return true;
}
bool setwindow(short, short, short, short) {
    return true;
}
void present(const cell*, short, short, short, short) {}
void setpalette(const unsigned char*) {}
void pump() {}
void soundopen(const std::string&) {}
void soundplay(const std::string&) {}

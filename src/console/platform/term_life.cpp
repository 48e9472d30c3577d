// Placeholder until the terminal back end is built: the game runs without a display.
#include "console/platform.h"
#include "console/platform/term.h"

#include <cstdlib>
#include <unistd.h>

void platformopen() {
    keysopen();
}
void platformclose() {
    keysclose();
}
void termquit() {
    platformclose();
    std::exit(130);
}
void termsuspend() {}
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
void pump() {
    keyspoll();
}
int termin() {
    return STDIN_FILENO;
}
void termwrite(const char* bytes, std::size_t n) {
    ssize_t w = write(STDOUT_FILENO, bytes, n);
    (void)w;
}
void termkeymodes(const char*, const char*) {}

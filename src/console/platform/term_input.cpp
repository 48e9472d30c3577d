// Placeholder until the terminal back end is built: no key is ever down.
#include "console/platform.h"
#include "console/platform/term.h"

void keysopen() {}
void keysclose() {}
void keyspoll() {}
bool keysdown(unsigned char) {
    return false;
}
void keysreleaseall() {}
bool keydown(unsigned char code) {
    return keysdown(code);
}

#include "frontend/frontend.h"

// Not built yet: ends the program.
unsigned char menu() {
    return 0;
}
bool guikeyrepeat(int) {
    return false;
}

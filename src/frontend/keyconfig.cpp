#include "frontend/frontend.h"

// Not built yet: end the program.
unsigned char keyboard() {
    return 0;
}
unsigned char guikeyboard() {
    return 0;
}

#include "frontend/frontend.h"

// Not built yet: ends the program.
unsigned char colorpicker() {
    return 0;
}

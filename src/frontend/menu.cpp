#include "frontend/frontend.h"

// Not built yet: ends the program.
unsigned char menu() {
    return 0;
}

#include "frontend/frontend.h"

// Not built yet: ends the program.
unsigned char change16colors() {
    return 0;
}

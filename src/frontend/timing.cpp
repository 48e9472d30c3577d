#include "frontend/frontend.h"

// Not built yet: ends the program.
unsigned char settings() {
    return 0;
}

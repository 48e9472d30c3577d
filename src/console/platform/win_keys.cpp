// Key state on Windows: the game's key numbers are the system's virtual-key codes.
#include "console/platform.h"

#include <windows.h>

bool keydown(unsigned char code) {
    // The top bit says the key is down at this moment; the low "pressed since" bit is unreliable
    // and not used.
    return (GetAsyncKeyState(code) & 0x8000) != 0;
}

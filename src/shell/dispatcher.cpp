#include "frontend/frontend.h"
#include "platform/platform.h"
#include "shell/modes.h"
#include "shell/shell.h"

unsigned char runscreen(unsigned char number) {
    if (const int mode = modeatrow(number); mode >= 0)
        return ingame(static_cast<unsigned char>(mode));
    switch (number) {
    case 1:
        return colorpicker();
    case 2:
        return change16colors();
    case 3:
        return menu();
    case 4:
        return settings();
    case 5:
        return keyboard();
    case 6:
        return guikeyboard();
    default:
        return 0;
    }
}

void dispatch() {
    unsigned char number = 3;
    while (number != 0 && number < menurows() && !leaving())
        number = runscreen(number);
}

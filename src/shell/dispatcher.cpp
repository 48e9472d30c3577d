#include "frontend/frontend.h"
#include "shell/shell.h"

unsigned char runscreen(unsigned char number) {
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
    case 7:
        return ingame(6);
    case 8:
        return ingame(1);
    case 9:
        return ingame(2);
    case 10:
        return ingame(7);
    case 11:
        return ingame(8);
    default:
        return 0;
    }
}

void dispatch() {
    unsigned char number = 3;
    while (number != 0 && number <= 11)
        number = runscreen(number);
}

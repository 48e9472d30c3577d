#include "frontend/frontend.h"
#include "platform/platform.h"
#include "shell/shell.h"

namespace {

// The game modes of the menu's last five rows, "Dropple 2" to "Dropple 5 Death".
constexpr unsigned char firstgamerow = 7;
constexpr unsigned char rowmodes[] = {6, 1, 2, 7, 8};
constexpr unsigned char lastrow = firstgamerow + sizeof rowmodes - 1;

} // namespace

unsigned char runscreen(unsigned char number) {
    if (number >= firstgamerow && number <= lastrow)
        return ingame(rowmodes[number - firstgamerow]);
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
    while (number != 0 && number <= lastrow && !leaving())
        number = runscreen(number);
}

// The window back end as a display table. The window is always 80 by 25 cells and shows code
// page 437 by its font, so the console's size and character set calls only agree.
#include "platform/window/window.h"
#include "platform/fixed.h"
#include "platform/platform.h"

const backend windowbackend = {
    .open = windowopen,
    .close = windowclose,
    .keydown = windowkeydown,
    .usecodepage437 = fixed::nothing,
    .hidecursor = fixed::nothing,
    .consolesize = fixed::size,
    .setbuffersize = fixed::setsize,
    .setwindow = fixed::setarea,
    .present = windowpresent,
    .setpalette = windowsetpalette,
    .pump = windowpump,
    .keyseen = fixed::everykey,
    .leaving = windowleaving,
};

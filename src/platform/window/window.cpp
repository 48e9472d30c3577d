// The window back end as a display table. The window is always 80 by 25 cells and shows code
// page 437 by its font, so the console's size and character set calls only agree.
#include "platform/window/window.h"
#include "platform/fixed.h"
#include "platform/platform.h"

const backend windowbackend = {
    windowopen,     windowclose,    windowkeydown, fixed::nothing,   fixed::nothing, fixed::size,
    fixed::setsize, fixed::setarea, windowpresent, windowsetpalette, windowpump,     windowleaving,
};

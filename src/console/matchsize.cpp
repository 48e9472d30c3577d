#include "console/screen.h"
#include "platform/platform.h"

int matchsize() {
    if (!setwindow(0, 0, screencols - 1, screenrows - 1))
        return 1;
    if (!setbuffersize(screencols, screenrows))
        return 1;
    if (!setwindow(0, 0, screencols - 1, screenrows - 1))
        return 1;
    if (!setbuffersize(screencols, screenrows))
        return 1;
    hidecursor();
    return 0;
}

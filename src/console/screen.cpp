#include "console/screen.h"

#include "platform/platform.h"

cell screen[screenrows * screencols];

// What a frame shows before its wait: the meter in modes 1 to 3, then the whole screen in mode 3
// or only the meter's corner in mode 2.
void frameshow(unsigned char mode) {
    fpsupdate(mode >= showmeter && mode <= showscreen);
    if (mode == showscreen)
        present(screen, 0, 0, screencols - 1, screenrows - 1);
    else if (mode == showcorner)
        present(screen, 76, 24, 79, 24);
}

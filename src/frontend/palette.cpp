#include "frontend/frontend.h"
#include "frontend/screentext.h"
#include "platform/platform.h"

#include <cstdio>

namespace {

// Rows 0-15 are the colours, row 16 is "Save & Quit"; columns are the six hex digits.
constexpr int saveline = 16;
constexpr int savescreenrow = 20;

int screenrowof(int row) {
    return row + 2;
}

void showcolors() {
    for (int i = 0; i < 16; i++) {
        char digits[8];
        std::snprintf(digits, sizeof digits, "%.2X%.2X%.2X", color[3 * i], color[3 * i + 1],
                      color[3 * i + 2]);
        puttext(screenrowof(i), 0, digits);
    }
}

void mark(int row, int column, std::uint16_t attr) {
    if (row == saveline)
        paintrow(savescreenrow, attr);
    else
        cellat(screenrowof(row), column).attr = attr;
}

} // namespace

unsigned char change16colors() {
    initload();
    blankscreen(uiattr());
    puttext(0, 0, "Change 16 colors");
    puttext(savescreenrow, 0, "Save & Quit");
    for (int i = 0; i < 16; i++) {
        cellat(screenrowof(i), 8).attr = static_cast<std::uint16_t>(i * 16);
        cellat(screenrowof(i), 9).attr = static_cast<std::uint16_t>(i * 16);
    }

    int row = 0;
    int column = 0;
    mark(row, column, hlattr());
    for (;;) {
        // On "Save & Quit" the column still moves, unseen, so that going back up lands on it.
        movecursor(row, column, saveline, 5, mark);
        // A high digit steps by 0x10 and a low one by 1, both on the whole byte: a low digit that
        // passes F carries into the high one, and the byte wraps at both ends.
        unsigned char amount = column % 2 == 0 ? 0x10 : 0x01;
        if (guikeyrepeat(4) && row < saveline)
            color[3 * row + column / 2] += amount;
        if (guikeyrepeat(5) && row < saveline)
            color[3 * row + column / 2] -= amount;
        bool saved = false;
        if (guikeyrepeat(6) && row == saveline) {
            savesettings();
            saved = true;
        }
        showcolors();
        // Every frame, edited or not, so the whole screen shows the palette being edited.
        applypalette();
        framesleep(showscreen);
        if (saved) {
            tellunsaved();
            return 3;
        }
        if (leaving())
            return 0;
    }
}

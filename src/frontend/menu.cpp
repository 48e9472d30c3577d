#include "console/screen.h"
#include "frontend/frontend.h"
#include "frontend/screentext.h"
#include "platform/platform.h"
#include "shell/modes.h"
#include "shell/shell.h"

#include <cstring>
#include <string>

namespace {

// One item per row; the row number is also the screen the item leads to. The games follow, on
// the rows the mode table gives them.
const char* const screens[] = {"quit",     "color picker",           "change 16 colors",   "menu",
                               "settings", "ingame keyboard config", "gui keyboard config"};
constexpr int screencount = sizeof screens / sizeof *screens;

const char* item(int row) {
    if (row < screencount)
        return screens[row];
    const int m = modeatrow(static_cast<unsigned>(row));
    return m < 0 ? "" : modes[m].name;
}

} // namespace

int menurows() {
    int rows = screencount;
    for (const modeinfo& m : modes)
        rows = m.menurow >= rows ? m.menurow + 1 : rows;
    return rows;
}

bool guikeyrepeat(int slot) {
    std::uint8_t down = keydown(guikeys[slot]) ? 1 : 0;
    if (down != keys[slot])
        keys[slot] = down;
    if (keys[slot] == 0) {
        daskeys[slot] = 0;
        return false;
    }
    bool fire = daskeys[slot] == 0 || daskeys[slot] == GUIDAS;
    daskeys[slot]++;
    // Folding the counter back by the repeat interval makes it reach the delay again after that
    // many frames.
    if (daskeys[slot] > GUIDAS)
        daskeys[slot] -= GUIARR;
    return fire;
}

unsigned char menu() {
    initload();
    const std::uint16_t ui = pieces[24].attr;
    const std::uint16_t hl = pieces[25].attr;
    for (cell& c : screen)
        c = {' ', ui};
    for (int row = 0; row < menurows(); row++)
        for (std::size_t k = 0; k < std::strlen(item(row)); k++)
            screen[row * screencols + static_cast<int>(k)].ch =
                static_cast<unsigned char>(item(row)[k]);
    // The bottom row is free but for the frame meter at its end.
    const std::string note = standinnote().substr(0, screencols - 5);
    puttext(screenrows - 1, 0, note.c_str());
    unsigned char cursor = 0;
    paintrow(cursor, hl);

    for (;;) {
        if (guikeyrepeat(0) && cursor != 0) {
            paintrow(cursor, ui);
            cursor--;
            paintrow(cursor, hl);
        }
        if (guikeyrepeat(1) && cursor + 1 < menurows()) {
            paintrow(cursor, ui);
            cursor++;
            paintrow(cursor, hl);
        }
        // Only a fresh press chooses, so a start key still held from the previous screen does
        // nothing until it has been let go.
        std::uint8_t start = keydown(guikeys[6]) ? 1 : 0;
        if (start != keys[6]) {
            keys[6] = start;
            if (start) {
                framesleep(showscreen);
                return leaving() ? 0 : cursor;
            }
            daskeys[6] = 0;
        }
        framesleep(showscreen);
        if (leaving())
            return 0;
    }
}

#include "frontend/screentext.h"
#include "frontend/frontend.h"
#include "platform/platform.h"

#include <string>

cell& cellat(int row, int col) {
    return screen[row * screencols + col];
}

void blankscreen(std::uint16_t attr) {
    for (cell& c : screen)
        c = {' ', attr};
}

void puttext(int row, int col, const char* text) {
    for (; *text && col < screencols; text++, col++)
        cellat(row, col).ch = static_cast<unsigned char>(*text);
}

void paintrow(int row, std::uint16_t attr) {
    for (int col = 0; col < screencols; col++)
        cellat(row, col).attr = attr;
}

std::uint16_t uiattr() {
    return pieces[24].attr;
}
std::uint16_t hlattr() {
    return pieces[25].attr;
}

void movecursor(int& row, int& column, int lastrow, int lastcolumn,
                void (*mark)(int, int, std::uint16_t)) {
    const int steps[4][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
    for (int k = 0; k < 4; k++) {
        // In order, each from where the last one left the cursor.
        const bool fires = guikeyrepeat(k);
        const int r = row + steps[k][0], c = column + steps[k][1];
        if (!fires || r < 0 || r > lastrow || c < 0 || c > lastcolumn)
            continue;
        mark(row, column, uiattr());
        row = r;
        column = c;
        mark(row, column, hlattr());
    }
}

bool anydown() {
    for (int code = 254; code >= 0; code--)
        if (keydown(static_cast<unsigned char>(code)))
            return true;
    return false;
}

bool waitrelease(unsigned char mode) {
    while (anydown()) {
        framesleep(mode);
        if (leaving())
            return false;
    }
    return true;
}

bool waitpress(unsigned char mode) {
    while (!anydown()) {
        framesleep(mode);
        if (leaving())
            return false;
    }
    return true;
}

void tellunsaved() {
    if (settingsunsaved().empty())
        return;
    constexpr int row = screenrows - 2;
    std::string line = "Not saved: " + settingsunsaved() + ". Press any key to go back.";
    line.resize(screencols, ' ');
    puttext(row, 0, line.c_str());
    paintrow(row, hlattr());
    waitrelease(showscreen) && waitpress(showscreen);
}

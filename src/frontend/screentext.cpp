#include "frontend/screentext.h"
#include "frontend/frontend.h"

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

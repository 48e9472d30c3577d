#include "console/draw.h"
#include "console/screen.h"
#include "frontend/frontend.h"
#include "shell/ingamev.h"
#include "shell/modes.h"
#include "shell/shell.h"

#include <cstdint>

// Colour slot of each piece; in the second rule set four pieces take another slot's colours.
static const std::uint8_t stdcolours[8] = {0, 1, 2, 3, 4, 5, 6, 0};
static const std::uint8_t dropple5colours[8] = {6, 0, 2, 1, 4, 5, 3, 0};

// Three lines of eight characters for each clear; the first entry shows nothing.
static const char labels[] = "                        "
                             "         Single         "
                             "         Double         "
                             "         Triple         "
                             "         Quadix         "
                             " T-spin  Single         "
                             " T-spin  Double         "
                             " T-spin  Triple         "
                             "Bk-to-Bk Quadix         "
                             "Bk-to-Bk T-spin  Single "
                             "Bk-to-Bk T-spin  Double "
                             "Bk-to-Bk T-spin  Triple ";
static_assert(sizeof labels == 12 * 24 + 1);

constexpr int ui = 24;
constexpr int boardbackground = 26;

static cell& at(int row, int col) {
    return screen[row * screencols + col];
}

static void paint(int row, int col, int entry) {
    at(row, col).ch = pieces[entry].ch;
    at(row, col).attr = pieces[entry].attr;
}

static void blank(int row, int col) {
    at(row, col).ch = ' ';
    at(row, col).attr = pieces[ui].attr;
}

static void text(int row, int col, const char* s) {
    for (; *s; s++)
        at(row, col++).ch = static_cast<unsigned char>(*s);
}

// Right-aligned over `width` cells ending at `endcol`; 0 shows as one zero.
static void number(int row, int endcol, int width, std::uint64_t value) {
    at(row, endcol).ch = static_cast<std::uint16_t>('0' + value % 10);
    value /= 10;
    for (int i = 1; i < width; i++) {
        at(row, endcol - i).ch = value == 0 ? ' ' : static_cast<std::uint16_t>('0' + value % 10);
        value /= 10;
    }
}

// A board cell is two screen cells wide; the board's column 0 is on the right.
static void boardcell(unsigned x, unsigned y, int entry) {
    int row = 23 - static_cast<int>(y);
    int col = 48 - 2 * static_cast<int>(x);
    paint(row, col, entry);
    paint(row, col + 1, entry);
}

static void preview(std::uint8_t p, int baserow, int basecol, const std::uint8_t* slots) {
    int a = (p == 2 || p == 3) ? 1 : 0;
    for (int i = 0; i < 4; i++) {
        int dx = ingamev.shapes[p][i][0];
        int dy = ingamev.shapes[p][i][1];
        int row, col;
        if (ingamev.ars) {
            row = baserow - 1 + dy + a;
            col = basecol + 2 * dx + 2 * a;
        } else {
            row = baserow - dy - a;
            col = basecol - 2 * dx;
        }
        paint(row, col, slots[p]);
        paint(row, col + 1, slots[p]);
    }
}

static void clearbox(int top, int left) {
    for (int r = top; r < top + 2; r++)
        for (int c = left; c < left + 8; c++)
            blank(r, c);
}

void paintgame() {
    for (int r = 0; r < screenrows; r++)
        for (int c = 0; c < screencols; c++)
            blank(r, c);
    for (int r = 4; r <= 23; r++)
        for (int c = 30; c <= 49; c++)
            paint(r, c, boardbackground);
    text(7, 7, "lines:");
    text(10, 7, "level:");
    text(13, 7, "score:");
    text(16, 7, "piece:");
    text(0, 0, modeof(ingamev.mode).title);
}

void draw() {
    const std::uint8_t* slots = ingamev.ars ? dropple5colours : stdcolours;

    for (unsigned y = 0; y < 24; y++) {
        for (unsigned x = 0; x < boardcols; x++) {
            std::uint8_t v = ingamev.board[y][x];
            if (v != 0)
                boardcell(x, y, 8 + slots[v - 1]);
            else if (y < 20)
                boardcell(x, y, boardbackground);
            else {
                blank(23 - static_cast<int>(y), 48 - 2 * static_cast<int>(x));
                blank(23 - static_cast<int>(y), 49 - 2 * static_cast<int>(x));
            }
        }
    }
    for (int i = 0; i < 4; i++)
        if (ingamev.ghosty[i] <= 23)
            boardcell(ingamev.piecex[i], ingamev.ghosty[i], 16 + slots[ingamev.current]);
    for (int i = 0; i < 4; i++)
        if (ingamev.piecey[i] <= 23)
            boardcell(ingamev.piecex[i], ingamev.piecey[i], slots[ingamev.current]);

    for (int k = 0; k < 6; k++) {
        clearbox(4 + 3 * k, 54);
        preview(ingamev.queue[k], 5 + 3 * k, 56, slots);
    }
    clearbox(4, 18);
    if (ingamev.hold != 0xFF)
        preview(ingamev.hold, 5, 20, slots);

    number(8, 19, 20, ingamev.lines);
    number(11, 19, 20, ingamev.level);
    number(14, 19, 20, ingamev.score);
    number(17, 19, 20, ingamev.piececount);

    const char* label = labels + 24 * (ingamev.label - 1);
    for (int line = 0; line < 3; line++)
        for (int i = 0; i < 8; i++)
            at(19 + line, 6 + i).ch = static_cast<unsigned char>(label[8 * line + i]);

    std::uint8_t combo = ingamev.labelcombo;
    if (combo == 0) {
        for (int c = 6; c <= 13; c++)
            at(22, c).ch = ' ';
    } else {
        text(22, 6, "combo");
        at(22, 12).ch = combo <= 9 ? ' ' : static_cast<std::uint16_t>('0' + combo / 10);
        at(22, 13).ch = static_cast<std::uint16_t>('0' + combo % 10);
    }

    text(1, 58, "time:");
    number(2, 67, 18, ingamev.frames / 60);
    at(2, 68).ch = '.';
    at(2, 69).ch = static_cast<std::uint16_t>('0' + (ingamev.frames / 6) % 10);
    at(2, 70).ch = static_cast<std::uint16_t>('0' + ((ingamev.frames % 6) * 100 + 30) / 60);
}

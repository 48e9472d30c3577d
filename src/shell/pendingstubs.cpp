// Stand-ins for parts of the game built on other branches; removed as they arrive.
#include "console/draw.h"
#include "console/screen.h"
#include "console/sound.h"
#include "frontend/frontend.h"
#include "rules/rules.h"
#include "shell/ingamev.h"
#include "shell/shell.h"

#include <cstdio>

cell pieces[27];
unsigned char color[48];
std::uint32_t INGAMEDAS;
std::uint32_t INGAMEARR;
std::uint32_t INGAMESDS;
unsigned char ingamekeys[8];
std::uint32_t GUIDAS;
std::uint32_t GUIARR;
unsigned char guikeys[8];

static const unsigned char schemepairs[54] = {
    0xA0, 0xFF, 0xC0, 0xFF, 0xE0, 0xFF, 0xB0, 0xFF, 0x80, 0xFF, 0x90, 0xFF, 0xD0, 0xFF,
    0x70, 0xFF, 0x2A, 0xB1, 0x4C, 0xB1, 0x6E, 0xB1, 0x3B, 0xB1, 0x6C, 0xB1, 0x19, 0xB1,
    0x5D, 0xB1, 0x07, 0xB1, 0xAF, 0xB1, 0xCF, 0xB1, 0xEF, 0xB1, 0xBF, 0xB1, 0x8F, 0xB1,
    0x9F, 0xB1, 0xDF, 0xB1, 0x7F, 0xB1, 0x70, 0xB0, 0x30, 0xB0, 0xF0, 0xFF};

static unsigned char image[138];

static void fromimage() {
    for (int i = 0; i < 27; i++) {
        pieces[i].attr = image[2 * i];
        pieces[i].ch = image[2 * i + 1];
    }
    auto u32 = [](int at) {
        return static_cast<std::uint32_t>(image[at] | image[at + 1] << 8 | image[at + 2] << 16 |
                                          image[at + 3] << 24);
    };
    INGAMEDAS = u32(102);
    INGAMEARR = u32(106);
    INGAMESDS = u32(110);
    for (int i = 0; i < 8; i++)
        ingamekeys[i] = image[114 + i];
}

void initload() {
    std::FILE* f = std::fopen("savefile", "rb");
    if (f) {
        if (std::fread(image, 1, 138, f) != 138) {
        }
        std::fclose(f);
    } else {
        for (int i = 0; i < 54; i++)
            image[i] = schemepairs[i];
        unsigned char rest[] = {7, 0, 0,    0,    0,    0x10, 0,    0,    0,    0x20,
                                0, 0, 0x26, 0x28, 0x25, 0x27, 0x58, 0x5A, 0x0D, 0xA0};
        for (unsigned i = 0; i < sizeof rest; i++)
            image[102 + i] = rest[i];
    }
    fromimage();
}

void savesettings() {
    for (int i = 0; i < 27; i++) {
        image[2 * i] = static_cast<unsigned char>(pieces[i].attr);
        image[2 * i + 1] = static_cast<unsigned char>(pieces[i].ch);
    }
    auto put = [](int at, std::uint32_t v) {
        for (int k = 0; k < 4; k++)
            image[at + k] = static_cast<unsigned char>(v >> (8 * k));
    };
    put(102, INGAMEDAS);
    put(106, INGAMEARR);
    put(110, INGAMESDS);
    for (int i = 0; i < 8; i++)
        image[114 + i] = ingamekeys[i];
    std::FILE* f = std::fopen("savefile", "wb");
    if (f) {
        std::fwrite(image, 1, 138, f);
        std::fclose(f);
    }
}

bool collision(unsigned short* x, unsigned short* y) {
    for (int i = 0; i < 4; i++)
        if (y[i] > 27 || x[i] > 9)
            return true;
    for (int i = 0; i < 4; i++)
        if (ingamev.board[y[i]][x[i]])
            return true;
    return false;
}

static bool tryshift(int dx, int dy) {
    unsigned short x[4], y[4];
    for (int i = 0; i < 4; i++) {
        x[i] = static_cast<unsigned short>(ingamev.piecex[i] + dx);
        y[i] = static_cast<unsigned short>(ingamev.piecey[i] + dy);
    }
    if (collision(x, y))
        return true;
    for (int i = 0; i < 4; i++) {
        ingamev.piecex[i] = x[i];
        ingamev.piecey[i] = y[i];
    }
    ingamev.pivotx = static_cast<unsigned short>(ingamev.pivotx + dx);
    ingamev.pivoty = static_cast<unsigned short>(ingamev.pivoty + dy);
    return false;
}

void onground() {
    unsigned short x[4], y[4];
    for (int i = 0; i < 4; i++) {
        x[i] = ingamev.piecex[i];
        y[i] = static_cast<unsigned short>(ingamev.piecey[i] - 1);
    }
    ingamev.onground = collision(x, y);
}

static bool step(int dx) {
    onground();
    if (tryshift(dx, 0))
        return true;
    lockdelayreset(true);
    ingamev.lastrotate = 0;
    return false;
}

bool left() {
    return step(1);
}
bool right() {
    return step(-1);
}

bool drop(bool stop) {
    ingamev.onground = 0;
    if (stop)
        return true;
    if (tryshift(0, -1)) {
        ingamev.onground = 1;
        return true;
    }
    lockdelayreset(true);
    ingamev.lastrotate = 0;
    return false;
}

void harddrop() {
    int n = 0;
    while (!tryshift(0, -1))
        n++;
    ingamev.score += 2 * static_cast<std::uint64_t>(n);
    if (n) {
        lockdelayreset(true);
        ingamev.lastrotate = 0;
    }
}

void ghostupdate() {
    if (!ingamev.active) {
        for (auto& g : ingamev.ghosty)
            g = 255;
        return;
    }
    unsigned short x[4], y[4];
    for (int i = 0; i < 4; i++) {
        x[i] = ingamev.piecex[i];
        y[i] = ingamev.piecey[i];
    }
    while (!collision(x, y))
        for (auto& r : y)
            r--;
    for (int i = 0; i < 4; i++)
        ingamev.ghosty[i] = static_cast<unsigned short>(y[i] + 1);
}

void lockdelayreset(bool) {
    if (ingamev.ars) {
        if (ingamev.pivoty < ingamev.resetlimit) {
            ingamev.resetlimit = static_cast<std::uint8_t>(ingamev.pivoty);
            ingamev.locktimer = ingamev.lockdelay;
        }
    } else if (ingamev.locktimer < ingamev.lockdelay && ingamev.resetsleft > 0) {
        ingamev.resetsleft--;
        ingamev.locktimer = ingamev.lockdelay;
    }
}

static void turn(bool clockwise) {
    onground();
    unsigned short x[4], y[4];
    for (int i = 0; i < 4; i++) {
        int dx = ingamev.piecex[i] - ingamev.piecex[0];
        int dy = ingamev.piecey[i] - ingamev.piecey[0];
        int nx = clockwise ? -dy : dy;
        int ny = clockwise ? dx : -dx;
        x[i] = static_cast<unsigned short>(ingamev.piecex[0] + nx);
        y[i] = static_cast<unsigned short>(ingamev.piecey[0] + ny);
    }
    if (collision(x, y)) {
        playsound("rotfail.wav");
        return;
    }
    for (int i = 0; i < 4; i++) {
        ingamev.piecex[i] = x[i];
        ingamev.piecey[i] = y[i];
    }
    ingamev.rotation = static_cast<std::uint8_t>((ingamev.rotation + (clockwise ? 1 : 3)) % 4);
    playsound(ingamev.justspawned ? "initialrotate.wav" : "rotate.wav");
    lockdelayreset(false);
    ingamev.lastrotate = 1;
}

void rotateleftSRS() {
    turn(false);
}
void rotaterightSRS() {
    turn(true);
}
void rotateARS(bool clockwise) {
    turn(clockwise);
}

void moderule() {
    if (ingamev.mode == 1 && ingamev.lines >= 40)
        win();
    if (ingamev.mode == 7 || ingamev.mode == 8) {
        if (ingamev.level % 100 != 99 && ingamev.level != 998)
            ingamev.level++;
        ingamev.level += ingamev.cleared;
        if (ingamev.level > 998) {
            ingamev.level = 999;
            win();
        }
        ingamev.are = 16;
    }
}

void linecleartest(unsigned short) {
    ingamev.piececount++;
    int cleared = 0;
    for (int y = 0; y < boardrows;) {
        bool full = true;
        for (int x = 0; x < boardcols; x++)
            full = full && ingamev.board[y][x];
        if (!full) {
            y++;
            continue;
        }
        for (int r = y; r + 1 < boardrows; r++)
            for (int x = 0; x < boardcols; x++)
                ingamev.board[r][x] = ingamev.board[r + 1][x];
        for (int x = 0; x < boardcols; x++)
            ingamev.board[boardrows - 1][x] = 0;
        cleared++;
    }
    ingamev.cleared = static_cast<std::uint8_t>(cleared);
    ingamev.lines += static_cast<std::uint64_t>(cleared);
    if (cleared) {
        ingamev.combo++;
        ingamev.label = static_cast<std::uint8_t>(1 + cleared);
        ingamev.labelcombo = static_cast<std::uint8_t>(ingamev.combo > 1 ? ingamev.combo - 1 : 0);
        ingamev.labeltimer = 120;
        ingamev.score += 100 * static_cast<std::uint64_t>(cleared);
    } else {
        ingamev.combo = 0;
    }
    moderule();
}

void lock() {
    playsound("lock.wav");
    ingamev.active = 0;
    for (int i = 0; i < 4; i++)
        ingamev.board[ingamev.piecey[i]][ingamev.piecex[i]] =
            static_cast<std::uint8_t>(ingamev.current + 1);
    bool out = true;
    for (int i = 0; i < 4; i++)
        out = out && ingamev.piecey[i] >= 20;
    if (out)
        gameover();
    unsigned short r = ingamev.piecey[0];
    for (int i = 0; i < 4; i++) {
        ingamev.piecey[i] = 255;
        ingamev.ghosty[i] = 255;
    }
    linecleartest(r);
}

static void endtext(int col, const char* s) {
    for (; *s; s++)
        screen[24 * screencols + col++].ch = static_cast<unsigned char>(*s);
}

void gameover() {
    draw();
    playsound("gameover.wav");
    ingamev.over = 1;
    endtext(35, "GAME OVER!");
}

void win() {
    draw();
    playsound("excellent.wav");
    ingamev.over = 1;
    endtext(36, "YOU WIN!");
}

// Stand-ins for the settings record, its file and the menu key repeat until they arrive.
#include "console/platform.h"
#include "frontend/frontend.h"
#include "shell/shell.h"

#include <cstdio>
#include <cstring>

cell pieces[27];
unsigned char color[48];
std::uint32_t INGAMEDAS;
std::uint32_t INGAMEARR;
std::uint32_t INGAMESDS;
unsigned char ingamekeys[8];
std::uint32_t GUIDAS;
std::uint32_t GUIARR;
unsigned char guikeys[8];

const unsigned char defaultsettings[138] = {
    0xA0, 0xFF, 0xC0, 0xFF, 0xE0, 0xFF, 0xB0, 0xFF, 0x80, 0xFF, 0x90, 0xFF, 0xD0, 0xFF, 0x70, 0xFF,
    0x2A, 0xB1, 0x4C, 0xB1, 0x6E, 0xB1, 0x3B, 0xB1, 0x6C, 0xB1, 0x19, 0xB1, 0x5D, 0xB1, 0x07, 0xB1,
    0xAF, 0xB1, 0xCF, 0xB1, 0xEF, 0xB1, 0xBF, 0xB1, 0x8F, 0xB1, 0x9F, 0xB1, 0xDF, 0xB1, 0x7F, 0xB1,
    0x70, 0xB0, 0x30, 0xB0, 0xF0, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0xAA, 0x00, 0xAA, 0x00, 0x00,
    0xAA, 0xAA, 0xAA, 0x00, 0x00, 0xAA, 0x00, 0xAA, 0xAA, 0xAA, 0x00, 0xAA, 0xAA, 0xAA, 0xFF, 0xAA,
    0x55, 0x55, 0x55, 0xFF, 0x55, 0xFF, 0x55, 0x55, 0xFF, 0xFF, 0xFF, 0x55, 0x55, 0xFF, 0x55, 0xFF,
    0xFF, 0xFF, 0x55, 0xFF, 0xFF, 0xFF, 7,    0,    0,    0,    0x00, 0x10, 0,    0,    0x00, 0x20,
    0,    0,    0x26, 0x28, 0x25, 0x27, 0x58, 0x5A, 0x0D, 0xA0, 8,    0,    0,    0,    1,    0,
    0,    0,    0x26, 0x28, 0x25, 0x27, 0x58, 0x5A, 0x0D, 0xA0};

namespace {
void get32(const unsigned char* p, std::uint32_t& v) {
    v = p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
void put32(unsigned char* p, std::uint32_t v) {
    for (int i = 0; i < 4; i++)
        p[i] = static_cast<unsigned char>(v >> 8 * i);
}
} // namespace

void initload() {
    unsigned char b[138];
    std::memcpy(b, defaultsettings, sizeof b);
    if (FILE* f = std::fopen("savefile", "rb")) {
        std::fread(b, 1, sizeof b, f);
        std::fclose(f);
    } else if (FILE* w = std::fopen("savefile", "wb")) {
        std::fwrite(b, 1, sizeof b, w);
        std::fclose(w);
    }
    for (int i = 0; i < 27; i++)
        pieces[i] = {b[2 * i + 1], b[2 * i]};
    std::memcpy(color, b + 54, 48);
    get32(b + 102, INGAMEDAS);
    get32(b + 106, INGAMEARR);
    get32(b + 110, INGAMESDS);
    std::memcpy(ingamekeys, b + 114, 8);
    get32(b + 122, GUIDAS);
    get32(b + 126, GUIARR);
    std::memcpy(guikeys, b + 130, 8);
    applypalette();
}

void savesettings() {
    unsigned char b[138];
    for (int i = 0; i < 27; i++) {
        b[2 * i] = static_cast<unsigned char>(pieces[i].attr);
        b[2 * i + 1] = static_cast<unsigned char>(pieces[i].ch);
    }
    std::memcpy(b + 54, color, 48);
    put32(b + 102, INGAMEDAS);
    put32(b + 106, INGAMEARR);
    put32(b + 110, INGAMESDS);
    std::memcpy(b + 114, ingamekeys, 8);
    put32(b + 122, GUIDAS);
    put32(b + 126, GUIARR);
    std::memcpy(b + 130, guikeys, 8);
    if (FILE* f = std::fopen("savefile", "wb")) {
        std::fwrite(b, 1, sizeof b, f);
        std::fclose(f);
    }
}

void applypalette() {
    setpalette(color);
}

bool guikeyrepeat(int k) {
    std::uint8_t down = keydown(guikeys[k]) ? 1 : 0;
    keys[k] = down;
    if (!keys[k]) {
        daskeys[k] = 0;
        return false;
    }
    bool fire = daskeys[k] == 0 || daskeys[k] == GUIDAS;
    daskeys[k]++;
    if (daskeys[k] > GUIDAS)
        daskeys[k] -= GUIARR;
    return fire;
}

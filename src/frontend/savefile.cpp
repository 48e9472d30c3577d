#include "frontend/frontend.h"
#include "platform/platform.h"

#include <cstring>
#include <string>

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
    // Colour scheme, (attribute, character) per cell kind.
    0xA0, 0xFF, 0xC0, 0xFF, 0xE0, 0xFF, 0xB0, 0xFF, 0x80, 0xFF, 0x90, 0xFF, 0xD0, 0xFF, 0x70, 0xFF,
    0x2A, 0xB1, 0x4C, 0xB1, 0x6E, 0xB1, 0x3B, 0xB1, 0x6C, 0xB1, 0x19, 0xB1, 0x5D, 0xB1, 0x07, 0xB1,
    0xAF, 0xB1, 0xCF, 0xB1, 0xEF, 0xB1, 0xBF, 0xB1, 0x8F, 0xB1, 0x9F, 0xB1, 0xDF, 0xB1, 0x7F, 0xB1,
    0x70, 0xB0, 0x30, 0xB0, 0xF0, 0xFF,
    // Palette.
    0x00, 0x00, 0x00, 0x00, 0x00, 0xAA, 0x00, 0xAA, 0x00, 0x00, 0xAA, 0xAA, //
    0xAA, 0x00, 0x00, 0xAA, 0x00, 0xAA, 0xAA, 0xAA, 0x00, 0xAA, 0xAA, 0xAA, //
    0xFF, 0xAA, 0x55, 0x55, 0x55, 0xFF, 0x55, 0xFF, 0x55, 0x55, 0xFF, 0xFF, //
    0xFF, 0x55, 0x55, 0xFF, 0x55, 0xFF, 0xFF, 0xFF, 0x55, 0xFF, 0xFF, 0xFF, //
    // In-game delayed auto shift, auto repeat and soft drop speed.
    7, 0, 0, 0, 0x00, 0x10, 0, 0, 0x00, 0x20, 0, 0,
    // In-game keys: arrows, X, Z, Return, left Shift.
    0x26, 0x28, 0x25, 0x27, 0x58, 0x5A, 0x0D, 0xA0,
    // Menu delayed auto shift and auto repeat, then the menu keys.
    8, 0, 0, 0, 1, 0, 0, 0, //
    0x26, 0x28, 0x25, 0x27, 0x58, 0x5A, 0x0D, 0xA0};

namespace {

constexpr int filesize = sizeof defaultsettings;
const char* const filename = "savefile";

std::uint32_t getword(const unsigned char* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}

void putword(unsigned char* p, std::uint32_t v) {
    for (int k = 0; k < 4; k++)
        p[k] = static_cast<unsigned char>(v >> (8 * k));
}

void unpack(const unsigned char* image) {
    for (int i = 0; i < 27; i++) {
        pieces[i].attr = image[2 * i];
        pieces[i].ch = image[2 * i + 1];
    }
    std::memcpy(color, image + 54, 48);
    INGAMEDAS = getword(image + 102);
    INGAMEARR = getword(image + 106);
    INGAMESDS = getword(image + 110);
    std::memcpy(ingamekeys, image + 114, 8);
    GUIDAS = getword(image + 122);
    GUIARR = getword(image + 126);
    std::memcpy(guikeys, image + 130, 8);
}

void pack(unsigned char* image) {
    for (int i = 0; i < 27; i++) {
        image[2 * i] = static_cast<unsigned char>(pieces[i].attr);
        image[2 * i + 1] = static_cast<unsigned char>(pieces[i].ch);
    }
    std::memcpy(image + 54, color, 48);
    putword(image + 102, INGAMEDAS);
    putword(image + 106, INGAMEARR);
    putword(image + 110, INGAMESDS);
    std::memcpy(image + 114, ingamekeys, 8);
    putword(image + 122, GUIDAS);
    putword(image + 126, GUIARR);
    std::memcpy(image + 130, guikeys, 8);
}

} // namespace

void initload() {
    // Whatever the file does not hold keeps its default, so a cut-off file still leaves the
    // player with working keys.
    unsigned char image[filesize];
    std::memcpy(image, defaultsettings, filesize);

    // A file that exists but cannot be read is left alone: the defaults serve for this run.
    if (readfile(filename, image, filesize) == -1)
        replacefile(filename, defaultsettings, filesize);

    unpack(image);
    applypalette();
}

namespace {

std::string unsaved; // why the player's last change of settings is not on disk, empty when it is

} // namespace

void savesettings() {
    unsigned char image[filesize];
    pack(image);
    unsaved.clear();
    if (!replacefile(filename, image, filesize, &unsaved) && unsaved.empty())
        unsaved = "cannot write the file";
}

const std::string& settingsunsaved() {
    return unsaved;
}

void applypalette() {
    setpalette(color);
}

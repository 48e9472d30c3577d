#include "frontend/frontend.h"
#include "frontend/screentext.h"
#include "platform/platform.h"

#include <cstdint>

namespace {

constexpr unsigned char shadechars[5] = {0xFF, 0xB0, 0xB1, 0xB2, 0xDB};

// Sections: 0 entry, 1 background, 2 foreground, 3 shade, 4 "Save & Quit".
constexpr int sectionrows[5] = {5, 9, 13, 17, 21};
constexpr int savesection = 4;
constexpr int lastentry = 26;

constexpr int previewrow = 4;
constexpr int backgroundrow = 8;
constexpr int foregroundrow = 12;
constexpr int shaderow = 16;

// The scheme as it is being edited; `pieces` itself stays as loaded until the file is saved.
unsigned char bg[27];
unsigned char fg[27];
unsigned char shade[27];

std::uint16_t attrof(int e) {
    return static_cast<std::uint16_t>(bg[e] * 16 + fg[e]);
}

unsigned char decodeshade(std::uint16_t ch) {
    for (unsigned char k = 1; k < 5; k++)
        if (ch == shadechars[k])
            return k;
    return 0;
}

void putpair(int row, int index, std::uint16_t ch, std::uint16_t attr) {
    cellat(row, 2 * index) = {ch, attr};
    cellat(row, 2 * index + 1) = {ch, attr};
}

// A marker is two carets; clearing one leaves the cells' attributes alone.
void putmarker(int row, int index, std::uint16_t ch) {
    cellat(row, 2 * index).ch = ch;
    cellat(row, 2 * index + 1).ch = ch;
}

void markers(int e, std::uint16_t ch) {
    putmarker(sectionrows[0], e, ch);
    putmarker(sectionrows[1], bg[e], ch);
    putmarker(sectionrows[2], fg[e], ch);
    putmarker(sectionrows[3], shade[e], ch);
}

void showpreview(int e) {
    putpair(previewrow, e, shadechars[shade[e]], attrof(e));
}

void showshades(int e) {
    for (int k = 0; k < 5; k++)
        putpair(shaderow, k, shadechars[k], attrof(e));
}

// Left and right: `dir` is -1 or +1. Moves past either end of a range are ignored.
void step(int section, int& entry, int dir) {
    if (section == 0) {
        int next = entry + dir;
        if (next < 0 || next > lastentry)
            return;
        markers(entry, ' ');
        entry = next;
        markers(entry, '^');
        showshades(entry);
        return;
    }
    if (section == savesection)
        return;
    unsigned char* values[4] = {nullptr, bg, fg, shade};
    int top = section == 3 ? 4 : 15;
    int next = values[section][entry] + dir;
    if (next < 0 || next > top)
        return;
    putmarker(sectionrows[section], values[section][entry], ' ');
    values[section][entry] = static_cast<unsigned char>(next);
    putmarker(sectionrows[section], next, '^');
    showpreview(entry);
    if (section != 3)
        showshades(entry);
}

void savescheme() {
    // One writer keeps the file format in one place: it gets the edited scheme for this moment
    // only, since the picker leaves the loaded scheme alone until the menu reloads the file.
    cell loaded[27];
    for (int e = 0; e < 27; e++) {
        loaded[e] = pieces[e];
        pieces[e] = {shadechars[shade[e]], attrof(e)};
    }
    savesettings();
    for (int e = 0; e < 27; e++)
        pieces[e] = loaded[e];
}

} // namespace

unsigned char colorpicker() {
    initload();
    blankscreen(uiattr());
    puttext(0, 0,
            "UI \xC4 User Interface (shade is irrelevant), Hl \xC4 Highlight, BB \xC4 Board "
            "Background");
    puttext(2, 0, "   Foreground    Placed pieces    Ghost pieces  Non-pieces");
    puttext(3, 0, "S Z O I L J T G S Z O I L J T G S Z O I L J T G UIHlBB");
    puttext(7, 0, "Select background color");
    puttext(11, 0, "Select foreground color");
    puttext(15, 0, "Select shade");
    puttext(sectionrows[savesection], 0, "Save & Quit");
    for (int i = 0; i < 16; i++) {
        putpair(backgroundrow, i, 0xDB, static_cast<std::uint16_t>(i));
        putpair(foregroundrow, i, 0xDB, static_cast<std::uint16_t>(i));
    }

    for (int e = 0; e < 27; e++) {
        bg[e] = static_cast<unsigned char>((pieces[e].attr >> 4) & 15);
        fg[e] = static_cast<unsigned char>(pieces[e].attr & 15);
        shade[e] = decodeshade(pieces[e].ch);
        showpreview(e);
    }

    int section = 0;
    int entry = 0;
    markers(entry, '^');
    showshades(entry);
    paintrow(sectionrows[section], hlattr());
    for (;;) {
        if (guikeyrepeat(0) && section > 0) {
            paintrow(sectionrows[section], uiattr());
            section--;
            paintrow(sectionrows[section], hlattr());
        }
        if (guikeyrepeat(1) && section < savesection) {
            paintrow(sectionrows[section], uiattr());
            section++;
            paintrow(sectionrows[section], hlattr());
        }
        if (guikeyrepeat(2))
            step(section, entry, -1);
        if (guikeyrepeat(3))
            step(section, entry, +1);
        if (guikeyrepeat(6) && section == savesection) {
            savescheme();
            framesleep(showscreen);
            tellunsaved();
            return 3;
        }
        framesleep(showscreen);
        if (leaving())
            return 0;
    }
}

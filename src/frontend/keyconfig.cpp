#include "frontend/frontend.h"
#include "frontend/screentext.h"
#include "platform/platform.h"

#include <string>

namespace {

// The slots in the order they are asked for; position r is shown on row r.
constexpr unsigned char captureorder[8] = {2, 3, 0, 1, 5, 4, 6, 7};

// Labels by slot.
const char* const gamelabels[8] = {
    "    up    hard drop:", "  down    soft drop:", "  left    move left:", " right   move right:",
    "     A rotate right:", "     B  rotate left:", " start        pause:", "select         hold:"};
const char* const guilabels[8] = {
    "    up      move up:", "  down    move down:", "  left    move left:", " right   move right:",
    "     A    increment:", "     B    decrement:", " start        press:", "select       unused:"};

// Slot names closed by a quote and padded, so a shorter name covers a longer one.
const char* const keynames[8] = {"up\"          ", "down\"        ", "left\"        ",
                                 "right\"       ", "A\"           ", "B\"           ",
                                 "start\"       ", "select\"      "};

constexpr char hexdigits[] = "0123456789ABCDEF";
constexpr int promptrow = 9;

bool anyheld(const unsigned char* codes, int count) {
    for (int i = 0; i < count; i++)
        if (keydown(codes[i]))
            return true;
    return false;
}

// The highest code that is down, or -1. Codes in `refused` block the whole scan while held.
int scan(const unsigned char* refused, int nrefused) {
    for (int code = 254; code >= 0; code--) {
        if (anyheld(refused, nrefused))
            return -1;
        if (keydown(static_cast<unsigned char>(code)))
            return code;
    }
    return -1;
}

void showcodes(const unsigned char* set) {
    for (int r = 0; r < 8; r++) {
        unsigned char code = set[captureorder[r]];
        cellat(r, 21).ch = static_cast<unsigned char>(hexdigits[code >> 4]);
        cellat(r, 22).ch = static_cast<unsigned char>(hexdigits[code & 15]);
    }
    present(screen, 21, 0, 22, 7);
}

void presentprompt() {
    present(screen, 0, promptrow, screencols - 1, promptrow);
}

unsigned char configure(unsigned char* set, const char* const* labels, bool refusetaken) {
    initload();
    blankscreen(uiattr());
    for (int r = 0; r < 8; r++)
        puttext(r, 0, labels[captureorder[r]]);
    present(screen, 0, 0, screencols - 1, screenrows - 1);
    puttext(promptrow, 0, "Press key for \"");

    unsigned char taken[8];
    // A player who leaves the program half way keeps the keys of the file.
    for (int r = 0; r < 8; r++) {
        int slot = captureorder[r];
        if (!waitrelease(showcorner))
            return 0;
        puttext(promptrow, 15, keynames[slot]);
        showcodes(set);
        presentprompt();
        int code;
        while ((code = scan(taken, refusetaken ? r : 0)) < 0) {
            framesleep(showcorner);
            if (leaving())
                return 0;
        }
        set[slot] = taken[r] = static_cast<unsigned char>(code);
        framesleep(showcorner);
    }
    if (!waitrelease(showcorner))
        return 0;
    showcodes(set);
    // Written before the message appears: a player who quits at the message keeps the new keys.
    savesettings();
    std::string said = "Settings successfully configured, press any key to go back.";
    if (!settingsunsaved().empty())
        said = "Not saved: " + settingsunsaved() + ". Press any key to go back.";
    said.resize(screencols, ' ');
    puttext(promptrow, 0, said.c_str());
    presentprompt();
    if (!waitpress(showcorner))
        return 0;
    framesleep(showcorner);
    return 3;
}

} // namespace

unsigned char keyboard() {
    return configure(ingamekeys, gamelabels, false);
}

unsigned char guikeyboard() {
    return configure(guikeys, guilabels, true);
}

// Keys the display cannot see. A terminal that reports no key releases never sees a modifier
// pressed alone, so the default hold key, left Shift, would be dead there; for the run, such a
// slot is also played with a key that no slot is bound to. The settings stay as they are.
#include "frontend/frontend.h"
#include "platform/platform.h"

#include <cstdio>

namespace {

// Bound to nothing by default, tried in this order: C is where players of such games look for
// hold.
constexpr char spare[] = "CVASDFQWE";

const char* const slotnames[8] = {"hard drop",    "soft drop",   "left",  "right",
                                  "rotate right", "rotate left", "pause", "hold"};

bool bound(unsigned char code) {
    for (unsigned char k : ingamekeys)
        if (k == code)
            return true;
    return false;
}

} // namespace

void findstandins(unsigned char standin[8]) {
    const char* next = spare;
    for (int slot = 0; slot < 8; slot++) {
        standin[slot] = 0;
        const unsigned char key = ingamekeys[slot];
        if (keyseen(key))
            continue;
        // One stand-in for a key bound to several slots.
        for (int s = 0; s < slot; s++)
            if (ingamekeys[s] == key)
                standin[slot] = standin[s];
        while (!standin[slot] && *next) {
            const unsigned char c = static_cast<unsigned char>(*next++);
            if (!bound(c) && keyseen(c))
                standin[slot] = c;
        }
    }
}

std::string keyname(unsigned char code) {
    if ((code >= '0' && code <= '9') || (code >= 'A' && code <= 'Z'))
        return std::string(1, static_cast<char>(code));
    if (code >= 0x60 && code <= 0x69)
        return "keypad " + std::string(1, static_cast<char>('0' + code - 0x60));
    if (code >= 0x70 && code <= 0x87)
        return "F" + std::to_string(code - 0x6F);
    static const struct {
        unsigned char code;
        const char* name;
    } names[] = {
        {0x01, "left button"},
        {0x02, "right button"},
        {0x04, "middle button"},
        {0x08, "Backspace"},
        {0x09, "Tab"},
        {0x0C, "Clear"},
        {0x0D, "Return"},
        {0x10, "Shift"},
        {0x11, "Ctrl"},
        {0x12, "Alt"},
        {0x13, "Pause"},
        {0x14, "Caps Lock"},
        {0x1B, "Escape"},
        {0x20, "Space"},
        {0x21, "Page Up"},
        {0x22, "Page Down"},
        {0x23, "End"},
        {0x24, "Home"},
        {0x25, "Left"},
        {0x26, "Up"},
        {0x27, "Right"},
        {0x28, "Down"},
        {0x2C, "Print Screen"},
        {0x2D, "Insert"},
        {0x2E, "Delete"},
        {0x5B, "left Windows"},
        {0x5C, "right Windows"},
        {0x5D, "Menu"},
        {0x6A, "keypad *"},
        {0x6B, "keypad +"},
        {0x6D, "keypad -"},
        {0x6E, "keypad ."},
        {0x6F, "keypad /"},
        {0x90, "Num Lock"},
        {0x91, "Scroll Lock"},
        {0xA0, "left Shift"},
        {0xA1, "right Shift"},
        {0xA2, "left Ctrl"},
        {0xA3, "right Ctrl"},
        {0xA4, "left Alt"},
        {0xA5, "right Alt"},
        {0xBA, ";"},
        {0xBB, "="},
        {0xBC, ","},
        {0xBD, "-"},
        {0xBE, "."},
        {0xBF, "/"},
        {0xC0, "`"},
        {0xDB, "["},
        {0xDC, "\\"},
        {0xDD, "]"},
        {0xDE, "'"},
    };
    for (const auto& n : names)
        if (n.code == code)
            return n.name;
    char hex[16];
    std::snprintf(hex, sizeof hex, "key %02X", code);
    return hex;
}

std::string standinnote() {
    unsigned char standin[8];
    findstandins(standin);
    std::string unseen, plays;
    int keys = 0;
    for (int slot = 0; slot < 8; slot++) {
        if (!standin[slot])
            continue;
        plays += (plays.empty() ? "" : ", ") + keyname(standin[slot]) + " is " + slotnames[slot];
        bool again = false;
        for (int s = 0; s < slot; s++)
            again = again || (standin[s] && ingamekeys[s] == ingamekeys[slot]);
        if (!again) {
            unseen = keyname(ingamekeys[slot]);
            keys++;
        }
    }
    if (plays.empty())
        return "";
    return "This terminal cannot report " + (keys == 1 ? unseen : "some keys") +
           " alone: " + plays + " here.";
}

std::string waybacktext() {
    unsigned char standin[8];
    findstandins(standin);
    const int hold = 7, pause = 6;
    const std::string first = keyname(standin[hold] ? standin[hold] : ingamekeys[hold]);
    const std::string then = keyname(standin[pause] ? standin[pause] : ingamekeys[pause]);
    if (first == then)
        return then + ": menu";
    // A stand-in is a key of a terminal that cannot tell two keys held together; the final screen
    // takes its tap as held for a while.
    return first + (standin[hold] ? " then " : "+") + then + ": menu";
}

// What the terminal, the X server and the kernel call a key, in the game's virtual-key codes.
#include "platform/term/parse.h"

namespace {

// US punctuation positions, which the codes 0xBA-0xC0 and 0xDB-0xDE name.
unsigned char punctvk(unsigned char c) {
    switch (c) {
    case ';':
        return 0xBA;
    case '=':
        return 0xBB;
    case ',':
        return 0xBC;
    case '-':
        return 0xBD;
    case '.':
        return 0xBE;
    case '/':
        return 0xBF;
    case '`':
        return 0xC0;
    case '[':
        return 0xDB;
    case '\\':
        return 0xDC;
    case ']':
        return 0xDD;
    case '\'':
        return 0xDE;
    }
    return 0;
}

} // namespace

unsigned char asciivk(unsigned char c, unsigned char* mods) {
    static const char shifted[] = ")!@#$%^&*(";
    static const char shiftpunct[] = ":+<_>?~{|}\"";
    static const char plainpunct[] = ";=,-./`[\\]'";
    if (c >= 'a' && c <= 'z')
        return static_cast<unsigned char>(c - 'a' + 'A');
    if (c >= 'A' && c <= 'Z') {
        *mods |= modshift;
        return c;
    }
    if (c >= '0' && c <= '9')
        return c;
    if (c == ' ')
        return 0x20;
    for (int k = 0; k < 10; k++)
        if (shifted[k] == c) {
            *mods |= modshift;
            return static_cast<unsigned char>('0' + k);
        }
    for (int k = 0; k < 11; k++)
        if (shiftpunct[k] == c) {
            *mods |= modshift;
            return punctvk(static_cast<unsigned char>(plainpunct[k]));
        }
    return punctvk(c);
}

unsigned char kittyvk(std::int32_t code) {
    switch (code) {
    case 27:
        return 0x1B;
    case 13:
        return 0x0D;
    case 9:
        return 0x09;
    case 127:
    case 8:
        return 0x08;
    case 32:
        return 0x20;
    }
    if (code > 32 && code < 127) {
        unsigned char mods = 0;
        return asciivk(static_cast<unsigned char>(code), &mods);
    }
    if (code >= 57376 && code <= 57387) // F13-F24
        return static_cast<unsigned char>(0x7C + code - 57376);
    if (code >= 57399 && code <= 57408) // keypad digits
        return static_cast<unsigned char>(0x60 + code - 57399);
    switch (code) {
    case 57358:
        return 0x14; // Caps Lock
    case 57359:
        return 0x91; // Scroll Lock
    case 57360:
        return 0x90; // Num Lock
    case 57361:
        return 0x2C; // Print Screen
    case 57362:
        return 0x13; // Pause
    case 57363:
        return 0x5D; // Menu
    case 57409:
        return 0x6E; // keypad decimal
    case 57410:
        return 0x6F;
    case 57411:
        return 0x6A;
    case 57412:
        return 0x6D;
    case 57413:
        return 0x6B;
    case 57414:
        return 0x0D; // keypad Enter is Return, as on a PC
    case 57416:
        return 0x6C;
    // The keypad's second functions, as a PC keypad gives them with Num Lock off.
    case 57417:
        return 0x25;
    case 57418:
        return 0x27;
    case 57419:
        return 0x26;
    case 57420:
        return 0x28;
    case 57421:
        return 0x21;
    case 57422:
        return 0x22;
    case 57423:
        return 0x24;
    case 57424:
        return 0x23;
    case 57425:
        return 0x2D;
    case 57426:
        return 0x2E;
    case 57427:
        return 0x0C;
    case 57441:
        return 0xA0;
    case 57442:
        return 0xA2;
    case 57443:
        return 0xA4;
    case 57444:
        return 0x5B;
    case 57447:
        return 0xA1;
    case 57448:
        return 0xA3;
    case 57449:
    case 57453: // AltGr
        return 0xA5;
    case 57450:
        return 0x5C;
    }
    return 0;
}

unsigned char tildevk(std::int32_t n) {
    switch (n) {
    case 1:
    case 7:
        return 0x24; // Home
    case 2:
        return 0x2D;
    case 3:
        return 0x2E;
    case 4:
    case 8:
        return 0x23; // End
    case 5:
        return 0x21;
    case 6:
        return 0x22;
    case 11:
    case 12:
    case 13:
    case 14:
    case 15:
        return static_cast<unsigned char>(0x70 + n - 11); // F1-F5
    case 17:
    case 18:
    case 19:
    case 20:
    case 21:
        return static_cast<unsigned char>(0x75 + n - 17); // F6-F10
    case 23:
    case 24:
    case 25:
    case 26:
        return static_cast<unsigned char>(0x7A + n - 23); // F11-F14
    case 28:
    case 29:
        return static_cast<unsigned char>(0x7E + n - 28); // F15, F16
    case 31:
    case 32:
    case 33:
    case 34:
        return static_cast<unsigned char>(0x80 + n - 31); // F17-F20
    }
    return 0;
}

unsigned char lettervk(unsigned char f) {
    switch (f) {
    case 'A':
        return 0x26;
    case 'B':
        return 0x28;
    case 'C':
        return 0x27;
    case 'D':
        return 0x25;
    case 'E':
        return 0x0C; // keypad centre
    case 'F':
        return 0x23;
    case 'H':
        return 0x24;
    case 'P':
        return 0x70;
    case 'Q':
        return 0x71;
    case 'R':
        return 0x72;
    case 'S':
        return 0x73;
    }
    return 0;
}

unsigned char linuxvk(int code) {
    static const unsigned char low[128] = {
        0,    0x1B, '1',  '2',  '3',  '4',  '5',  '6',  '7',  '8',  '9',  '0',  0xBD, 0xBB, 0x08,
        0x09, 'Q',  'W',  'E',  'R',  'T',  'Y',  'U',  'I',  'O',  'P',  0xDB, 0xDD, 0x0D, 0xA2,
        'A',  'S',  'D',  'F',  'G',  'H',  'J',  'K',  'L',  0xBA, 0xDE, 0xC0, 0xA0, 0xDC, 'Z',
        'X',  'C',  'V',  'B',  'N',  'M',  0xBC, 0xBE, 0xBF, 0xA1, 0x6A, 0xA4, 0x20, 0x14, 0x70,
        0x71, 0x72, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x90, 0x91, 0x67, 0x68, 0x69, 0x6D,
        0x64, 0x65, 0x66, 0x6B, 0x61, 0x62, 0x63, 0x60, 0x6E, 0,    0,    0xE2, 0x7A, 0x7B, 0,
        0,    0,    0,    0,    0,    0,    0x0D, 0xA3, 0x6F, 0x2C, 0xA5, 0,    0x24, 0x26, 0x21,
        0x25, 0x27, 0x23, 0x28, 0x22, 0x2D, 0x2E, 0,    0,    0,    0,    0,    0,    0,    0x13,
        0,    0x6C, 0,    0,    0,    0x5B, 0x5C, 0x5D};
    if (code >= 0 && code < 128)
        return low[code];
    if (code >= 183 && code <= 194) // F13-F24
        return static_cast<unsigned char>(0x7C + code - 183);
    switch (code) {
    case 0x110:
        return 0x01; // left button
    case 0x111:
        return 0x02;
    case 0x112:
        return 0x04;
    case 0x113:
        return 0x05;
    case 0x114:
        return 0x06;
    }
    return 0;
}

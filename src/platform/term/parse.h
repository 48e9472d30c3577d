// Turns the bytes a terminal sends into key events and answers. Byte at a time, so a sequence cut
// across reads parses as if it came whole; nothing here touches a terminal.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

enum evkind : unsigned char {
    evpress,   // key or button went down (the terminal will say when it goes up)
    evrepeat,  // key held, auto-repeating
    evrelease, // key or button went up
    evtap,     // key pressed, and no word will come of its release
    evfocusin,
    evfocusout,
    evflags, // keyboard protocol answer: a = its flags
    evattrs, // device attributes answer, always the last answer to a start-up query
};

// Modifier bits as the keyboard protocol counts them; lock keys never appear.
constexpr unsigned char modshift = 1, modalt = 2, modctrl = 4, modsuper = 8;

struct keyevent {
    evkind kind;
    unsigned char code; // virtual-key code, for key and button events
    unsigned char mods;
    std::int32_t a = 0;   // the flags of a protocol answer
    std::uint64_t at = 0; // counter time of a key event, where its source tells it
};

struct termparser {
    bool protocol = false; // the keyboard protocol is on: a bare letter form is a press
    // A reply was asked for and the device attributes, always the last answer, have not come:
    // only now may ESC P, ESC ], ESC _, ESC ^ and ESC X begin a string. Otherwise they are Alt
    // and a key.
    bool awaiting = false;
    unsigned char state = 0;
    unsigned char marker = 0, inter = 0, final = 0;
    bool bad = false;
    int nparam = 0, nsub = 0;
    std::int32_t param[8][3] = {};
    bool given[8][3] = {};
    unsigned char x10[3] = {};
    int nx10 = 0;
};

void parse(termparser& p, const unsigned char* bytes, std::size_t n, std::vector<keyevent>& out);
// In the middle of a sequence (or after a lone escape byte).
bool parsepending(const termparser& p);
// Only an escape byte is pending: the Escape key, if the input stays quiet.
bool parselone(const termparser& p);
// The input went quiet: a lone escape byte was the Escape key, a cut-off sequence is dropped.
void parseflush(termparser& p, std::vector<keyevent>& out);

// Virtual-key codes for what the terminal names; 0 where a key has none.
unsigned char kittyvk(std::int32_t code);                    // keyboard protocol key numbers
unsigned char tildevk(std::int32_t n);                       // CSI n ~
unsigned char lettervk(unsigned char f);                     // CSI 1;m X and SS3 X
unsigned char asciivk(unsigned char c, unsigned char* mods); // a typed character
unsigned char linuxvk(int code);                             // kernel input key codes

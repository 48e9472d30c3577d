// Which keys are down, from whatever the machine tells us about them. Time comes in from outside
// (milliseconds for the rules of key repeat, the counter for when a key was heard), so every rule
// here runs the same under test.
#pragma once

#include "platform/keyqueue.h"
#include "platform/term/parse.h"

#include <cstdint>
#include <vector>

enum keysource : unsigned char {
    fromprotocol, // the terminal reports presses and releases
    fromx,        // the X server's key map
    fromdevices,  // the kernel's input devices
    fromrepeat,   // guessed from the terminal's key repeat
};

// What the keys ask of the program; the input side adds that the terminal is gone (its input ended
// or failed).
enum keyaction : unsigned char { noaction, wantquit, wantsuspend, lostterminal };

struct keystate {
    keysource source = fromrepeat;
    bool focused = true;
    // Every source that reports presses and releases as they happen (the keyboard protocol,
    // mouse buttons, the input devices, the guesses below), one transition per key and frame.
    keyqueue events;
    std::uint64_t at = 0;   // counter time the input now taken in was heard (0: at once)
    bool outside[256] = {}; // the X key map or the input devices at the last look
    // Guesses from key repeat: a key stays down until `until`, a repeat stretches it. The release
    // is timed as the last press or repeat was (`at`), so a stall after it never stretches a tap.
    bool held[256] = {};
    std::uint64_t until[256] = {}, guessedat[256] = {};
    std::uint64_t last[256] = {};
    bool seen[256] = {};
    // Whether the outside source sees the keys the terminal types at all (not over ssh, not
    // with a Wayland terminal): a typed key with nothing down outside is a miss.
    std::uint64_t outsideat = 0, missat = 0;
    bool anyoutside = false;
    int hits = 0, misses = 0;
    bool fellback = false;
    bool guessed = false; // a key of the game was guessed at least once
};

// Keys typed faster than this apart are the terminal's auto-repeat, not the player's taps; the
// first repeat of a held key comes at most `firstrepeat` after the press.
constexpr std::uint64_t repeatgap = 110, firstrepeat = 1000;

keyaction keyapply(keystate& s, const keyevent& e, std::uint64_t ms);
// Once per frame, before the frame's input is applied: guessed keys whose time is up go up.
void keytick(keystate& s, std::uint64_t ms);
// Once per frame, after the frame's input is applied: the keys the game sees move on by what was
// heard before the frame is due to end.
void keystep(keystate& s, std::uint64_t due = UINT64_MAX);
// What the outside source says is down now (256 flags by virtual-key code). The input devices'
// own presses and releases come first through keydevice; what they say here only mends what the
// device lost.
void keyoutside(keystate& s, const bool* down, std::uint64_t ms);
// `at` is when the device says the key moved, on the counter (0: when it was heard).
void keydevice(keystate& s, unsigned char code, bool down, std::uint64_t at = 0);
bool keyisdown(const keystate& s, unsigned char code);
// Whether the source can see this key by itself. Guessing from key repeat sees only what the
// terminal sends as a key of its own: a modifier comes only with another key, a lock key never.
bool keyvisible(const keystate& s, unsigned char code);
void keyclear(keystate& s);

// The outside sources (x11.cpp, devices.cpp): open says whether the source is there; read fills
// 256 flags by virtual-key code. The devices also tell each press and release since the last read,
// in order (evpress and evrelease). Xlib ends the program when the display goes away, so X is
// told how: `lost` must give the terminal back and not return.
bool xopen(void (*lost)());
void xread(bool* down);
void xclose();
bool devopen();
void devread(bool* down, std::vector<keyevent>& changes);
void devclose();

// The source the terminal back end is using now (input.cpp).
keysource keysfrom();

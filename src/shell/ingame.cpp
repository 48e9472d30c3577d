#include "console/draw.h"
#include "console/screen.h"
#include "console/sound.h"
#include "frontend/frontend.h"
#include "frontend/records.h"
#include "platform/platform.h"
#include "rules/rules.h"
#include "shell/ingameloop.h"
#include "shell/ingamev.h"
#include "shell/modes.h"
#include "shell/recorder.h"
#include "shell/shell.h"

#include <cstdint>
#include <iterator>
#include <string>

// The key slots of this frame, bit i for slot i, read once when the frame begins: a frame sees
// one state of the keyboard, and a replay can stand in for it.
static std::uint8_t slotsdown;

static bool poll(int slot) {
    return slotsdown >> slot & 1;
}

// Frames a stand-in's tap still counts as held on the final screen.
constexpr int latchframes = 60;
static int latched[8];

std::uint8_t readslots() {
    unsigned char standin[8];
    findstandins(standin);
    std::uint8_t down = 0;
    for (int slot = 0; slot < 8; slot++) {
        bool d = keydown(ingamekeys[slot]);
        // A stand-in is a key of a display that cannot tell two keys held together until they
        // repeat: on the final screen, where hold is held while pause is pressed, its tap stays
        // down for a second.
        const bool tapped = standin[slot] && keydown(standin[slot]);
        if (!ingamev.over || tapped)
            latched[slot] = tapped && ingamev.over ? latchframes : 0;
        else if (latched[slot] > 0)
            latched[slot]--;
        d = d || tapped || latched[slot] > 0;
        down |= static_cast<std::uint8_t>(d << slot);
    }
    return down;
}

static bool lockpending() {
    return ingamev.locktimer == 0 && ingamev.resetsleft == 0;
}

void gamesetup(unsigned char mode) {
    initload();
    startgame(mode);
}

void startgame(unsigned char mode) {
    ingamev.mode = mode;
    paintgame();
    const modeinfo& m = modeof(mode);
    ingamev.ars = m.ars;
    ingamev.lines = 0;
    ingamev.level = m.startlevel;
    ingamev.gravity = m.gravity ? m.gravity : ingamev.gravitytable[0];
    ingamev.score = 0;
    ingamev.piececount = 0;
    for (auto& row : ingamev.board)
        for (auto& c : row)
            c = 0;
    ingamev.paused = 0;
    ingamev.frames = 0;
    ingamev.active = 0;
    ingamev.lockdelay = 30;
    if (ingamev.ars) {
        ingamev.are = 25;
        ingamev.resetsleft = 0;
    } else {
        ingamev.are = 0;
        ingamev.resetlimit = 5;
    }
    ingamev.label = 1;
    ingamev.labelcombo = 0;
    ingamev.queuecount = 0;
    ingamev.hold = 255;
    ingamev.over = 0;
    ingamev.onground = 0;
    ingamev.lastrotate = 0;
    ingamev.b2b = 0;
    ingamev.combo = 0;
    ingamev.labeltimer = 0;
    ingamev.cleared = 0;
    spawn(false);
    ghostupdate();
    // The key that chose the game in the menu is by default the pause key: it must not pause the
    // game it has just started.
    arrkeys[pausekey] = 1;
}

// Delayed auto shift and auto repeat for one direction. Returns true when the piece was locked.
static bool shift(int slot, bool (*move)(), bool& touched) {
    if (!keys[slot]) {
        daskeys[slot] = 0;
        return false;
    }
    if (daskeys[slot] == 0) {
        move();
        ghostupdate();
    }
    onground();
    bool g = ingamev.onground;
    bool repeat;
    if (lockpending()) {
        if (g) {
            lock();
            return true;
        }
        repeat = daskeys[slot] >= INGAMEDAS;
    } else {
        touched = touched || g;
        // A grounded piece whose timer has run out but may still refill it does not wait out the
        // rest of the delay.
        repeat =
            daskeys[slot] >= INGAMEDAS || (g && ingamev.resetsleft > 0 && ingamev.locktimer == 0);
    }
    if (!repeat) {
        arrkeys[slot] = 0;
        daskeys[slot]++;
        return false;
    }
    daskeys[slot] = INGAMEDAS;
    arrkeys[slot] = addsaturated(arrkeys[slot], INGAMEARR);
    for (;;) {
        bool blocked;
        if (arrkeys[slot] >= 256) {
            arrkeys[slot] -= 256;
            blocked = move();
        } else if (g && ingamev.locktimer == 0) {
            // One free step for a grounded piece about to lock.
            arrkeys[slot] = 0;
            blocked = move();
        } else {
            return false;
        }
        if (blocked) {
            arrkeys[slot] %= 256;
            return false;
        }
        ghostupdate();
        onground();
        g = ingamev.onground;
        if (!lockpending()) {
            touched = touched || g;
        } else if (g) {
            lock();
            return true;
        } else if (arrkeys[slot] < 256) {
            return false;
        }
    }
}

static void rotate(int slot, bool clockwise, bool& touched) {
    bool down = poll(slot);
    if (down == static_cast<bool>(keys[slot]))
        return;
    keys[slot] = down;
    if (!down)
        return;
    if (ingamev.ars)
        rotateARS(clockwise);
    else if (clockwise)
        rotaterightSRS();
    else
        rotateleftSRS();
    ghostupdate();
    onground();
    touched = touched || ingamev.onground;
}

static void chargedas(int slot) {
    if (!keys[slot])
        daskeys[slot] = 0;
    else if (daskeys[slot] < INGAMEDAS) {
        arrkeys[slot] = 0;
        daskeys[slot]++;
    }
}

// Soft drop, gravity and the lock timer of one frame, after the piece has been shifted.
static void fall(bool touched) {
    if (keys[harddropkey]) {
        if (arrkeys[harddropkey] == 0 || ingamev.ars) {
            arrkeys[harddropkey] = 1;
            harddrop();
            if (!ingamev.ars) {
                lock();
                return;
            }
        }
    } else {
        arrkeys[harddropkey] = 0;
    }

    if (keys[softdropkey]) {
        ingamev.gravitysum = addsaturated(ingamev.gravitysum, INGAMESDS);
        while (ingamev.gravitysum >= 256) {
            ingamev.gravitysum -= 256;
            if (drop(false)) {
                ingamev.gravitysum %= 256;
                break;
            }
            ingamev.score++;
        }
        if (ingamev.ars) {
            onground();
            if (ingamev.onground) {
                lock();
                return;
            }
        }
    }

    ingamev.gravitysum = addsaturated(ingamev.gravitysum, ingamev.gravity);
    while (ingamev.gravitysum >= 256) {
        ingamev.gravitysum -= 256;
        if (drop(false))
            ingamev.gravitysum %= 256;
    }

    onground();
    if (ingamev.onground || touched) {
        if (ingamev.locktimer > 0)
            ingamev.locktimer--;
        else if (ingamev.onground)
            lock();
    }
}

// One frame of a game in play, from the label timer to the lock timer.
static void advance() {
    if (ingamev.labeltimer > 0) {
        ingamev.labeltimer--;
    } else {
        ingamev.label = 1;
        ingamev.labelcombo = 0;
    }
    ingamev.frames++;
    bool touched = false;

    for (int slot = harddropkey; slot <= rightkey; slot++)
        keys[slot] = poll(slot);
    if (keys[harddropkey] && keys[softdropkey])
        keys[harddropkey] = keys[softdropkey] = 0;
    if (keys[leftkey] && keys[rightkey])
        keys[leftkey] = keys[rightkey] = 0;

    if (!ingamev.active) {
        if (ingamev.are > 0) {
            ingamev.are--;
            // A key held through the delay is charged, so the next piece can start repeating at
            // once.
            chargedas(leftkey);
            chargedas(rightkey);
            return;
        }
        spawn(false);
        ghostupdate();
    }

    if (!keys[holdkey]) {
        arrkeys[holdkey] = 0;
    } else if (arrkeys[holdkey] == 0) {
        arrkeys[holdkey] = 1;
        if (ingamev.holdused == 0) {
            ingamev.holdused = 1;
            hold();
        } else {
            playsound("holdfail.wav");
        }
    }

    rotate(rotateleftkey, false, touched);
    rotate(rotaterightkey, true, touched);

    if (shift(leftkey, left, touched) || shift(rightkey, right, touched))
        return;
    fall(touched);
}

bool gameframe() {
    return playframe(readslots());
}

bool playframe(std::uint8_t slots) {
    slotsdown = slots;
    keys[pausekey] = poll(pausekey);
    keys[holdkey] = poll(holdkey);
    if (ingamev.over && keys[holdkey]) {
        if (keys[pausekey])
            return false;
        arrkeys[pausekey] = 0;
    } else if (!keys[pausekey]) {
        arrkeys[pausekey] = 0;
    } else if (arrkeys[pausekey] == 0) {
        arrkeys[pausekey] = 1;
        playsound("pause.wav");
        ingamev.paused ^= 1;
    }

    if (!ingamev.paused && !ingamev.over) {
        advance();
        // A goal in time is met on the frame that reaches it; lines and levels at a lock.
        if (modeof(ingamev.mode).wins == goal::frames && goalreached(ingamev))
            win();
        ingamev.justspawned = 0;
        draw();
    }
    return true;
}

// A game without its sounds would be silent without a word: the player hears why once the program
// has ended.
static void tellsilence() {
    const int missing = soundsmissing();
    const std::string where = whereis("audio");
    if (missing == static_cast<int>(std::size(soundcatalogue)))
        notice("dropple: the game was silent: no sounds in " + where + ".");
    else if (missing > 0)
        notice("dropple: " + std::to_string(missing) + " sounds were missing from " + where + ".");
}

unsigned char ingame(unsigned char mode) {
    tellsilence();
    recordstart();
    gamesetup(mode);
    recordsetup();
    for (;;) {
        const std::uint8_t slots = readslots();
        recordframe(slots);
        if (!playframe(slots))
            break;
        framesleep(showscreen);
        // Ctrl-C, the window closed: the game is kept as it stands, ended or left in play.
        if (leaving())
            break;
    }
    recordend();
    return leaving() ? 0 : 3;
}

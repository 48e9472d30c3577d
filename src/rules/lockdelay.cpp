#include "frontend/frontend.h"
#include "rules/rules.h"
#include "shell/ingamev.h"
#include "shell/shell.h"

void lockdelayreset(bool fall) {
    if (ingamev.ars != 0) {
        // Only reaching a row lower than any before gives the piece its full delay again.
        if (ingamev.pivoty < ingamev.resetlimit) {
            ingamev.resetlimit = static_cast<std::uint8_t>(ingamev.pivoty);
            ingamev.locktimer = ingamev.lockdelay;
        }
    } else if (ingamev.locktimer < ingamev.lockdelay && ingamev.resetsleft > 0) {
        // A move while the timer is still full costs no refill.
        ingamev.resetsleft--;
        ingamev.locktimer = ingamev.lockdelay;
    }
    if (ingamev.onground == 0 || !fall)
        return;

    // The piece rested before this step and may now hang over a gap: it falls at once by one
    // frame's worth, counted afresh. Each drop below runs with onground cleared, so the nested
    // call only does the bookkeeping above.
    std::uint32_t s = 0;
    bool ran = false;
    if (keys[harddropkey] != 0 && (arrkeys[harddropkey] == 0 || ingamev.ars != 0)) {
        ran = true;
        s = instant;
        do {
            s -= 256;
            ingamev.gravitysum = s;
            if (drop(false)) {
                s %= 256;
                break;
            }
            ingamev.score += 2;
        } while (s > 255);
    }
    if (keys[softdropkey] != 0) {
        s = ran ? addsaturated(s, INGAMESDS) : INGAMESDS;
        ran = true;
        while (s > 255) {
            s -= 256;
            ingamev.gravitysum = s;
            if (drop(false)) {
                s %= 256;
                break;
            }
            ingamev.score += 1;
        }
    }
    ingamev.gravitysum = ran ? addsaturated(s, ingamev.gravity) : ingamev.gravity;
    while (ingamev.gravitysum > 255) {
        ingamev.gravitysum -= 256;
        if (drop(false)) {
            ingamev.gravitysum %= 256;
            return;
        }
    }
}

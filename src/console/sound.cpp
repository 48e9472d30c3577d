#include "console/sound.h"
#include "platform/platform.h"

#include <algorithm>

const char* const soundcatalogue[60] = {
    "b2b_continue.wav",  "b2b_end.wav",   "b2b_start.wav", "bravo.wav",    "combo1.wav",
    "combo10.wav",       "combo11.wav",   "combo12.wav",   "combo13.wav",  "combo14.wav",
    "combo15.wav",       "combo16.wav",   "combo17.wav",   "combo18.wav",  "combo19.wav",
    "combo2.wav",        "combo20.wav",   "combo3.wav",    "combo4.wav",   "combo5.wav",
    "combo6.wav",        "combo7.wav",    "combo8.wav",    "combo9.wav",   "countdown.wav",
    "endingstart.wav",   "erase1.wav",    "erase2.wav",    "erase3.wav",   "erase4.wav",
    "excellent.wav",     "gameover.wav",  "garbage.wav",   "gem.wav",      "go.wav",
    "gradeup.wav",       "harddrop.wav",  "hold.wav",      "holdfail.wav", "initialhold.wav",
    "initialrotate.wav", "levelstop.wav", "levelup.wav",   "lock.wav",     "pause.wav",
    "piece0.wav",        "piece1.wav",    "piece2.wav",    "piece3.wav",   "piece4.wav",
    "piece5.wav",        "piece6.wav",    "ready.wav",     "rotate.wav",   "rotfail.wav",
    "softdrop.wav",      "tspin0.wav",    "tspin1.wav",    "tspin2.wav",   "tspin3.wav",
};

int soundsmissing() {
    const std::vector<std::string> there = listfolder(whereis("audio").c_str());
    int missing = 0;
    for (const char* name : soundcatalogue)
        missing += std::find(there.begin(), there.end(), name) == there.end();
    return missing;
}

void loadsound(std::string name) {
    soundopen(name);
}

static bool muted = false;

void mutesounds(bool on) {
    muted = on;
}

void playsound(std::string name) {
    if (!muted)
        soundplay(name);
}

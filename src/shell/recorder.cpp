#include "shell/recorder.h"
#include "frontend/frontend.h"
#include "frontend/records.h"
#include "platform/platform.h"
#include "shell/ingamev.h"
#include "shell/random.h"
#include "shell/replay.h"
#include "shell/shell.h"

#include <algorithm>
#include <cstring>
#include <ctime>

#ifndef DROPPLE_VERSION
#define DROPPLE_VERSION "0"
#endif

namespace {

bool keeping = false;
bool recording = false; // this game is kept: on, and within the bounds so far
replay game;
std::uint8_t lastslots;
std::uint32_t lastchange; // frame of the last change

// How many replays are kept besides those that hold a record.
constexpr std::size_t keptreplays = 100;

// "20261207-142501-dropple2.replay": names sort in the order the games were played.
std::string replayname(const replay& r, int copy) {
    std::time_t t = static_cast<std::time_t>(r.date);
    char stamp[32] = "00000000-000000";
    if (const std::tm* local = std::localtime(&t))
        std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", local);
    std::string name = std::string(stamp) + "-" + gameslug(r.mode);
    if (copy > 1)
        name += "-" + std::to_string(copy);
    return name + ".replay";
}

// The oldest replays go once more than the limit are kept; a replay that holds a record stays.
void prune(const std::string& folder) {
    std::vector<std::string> names = listfolder(folder.c_str());
    std::erase_if(names, [](const std::string& n) {
        return n.size() < 7 || n.compare(n.size() - 7, 7, ".replay") != 0 || isrecordreplay(n);
    });
    std::sort(names.begin(), names.end());
    for (std::size_t k = 0; k + keptreplays < names.size(); k++)
        removefile((folder + "/" + names[k]).c_str());
}

} // namespace

void keepgames(bool on) {
    keeping = on;
    // Held from the start, so that recording never allocates while a game is played.
    game.changes.reserve(maxchanges);
}

void recordstart() {
    recording = keeping;
    game.changes.clear();
    randomstate(game.random);
}

void recordsetup() {
    game.mode = ingamev.mode;
    game.das = INGAMEDAS, game.arr = INGAMEARR, game.sds = INGAMESDS;
    std::memcpy(game.keys, keys, sizeof keys);
    std::memcpy(game.daskeys, daskeys, sizeof daskeys);
    std::memcpy(game.arrkeys, arrkeys, sizeof arrkeys);
    game.date = wallclock();
    std::strncpy(game.version, DROPPLE_VERSION, sizeof game.version - 1);
    game.ticks = 0;
    lastslots = 0;
    lastchange = 0;
}

void recordframe(std::uint8_t slots) {
    if (!recording)
        return;
    if (slots != lastslots) {
        if (game.changes.size() == maxchanges) {
            recording = false;
            notice("dropple: a game had more key presses than a replay holds; it was not kept.");
            return;
        }
        game.changes.push_back({game.ticks - lastchange, slots});
        lastslots = slots;
        lastchange = game.ticks;
    }
    if (++game.ticks == maxticks) {
        recording = false;
        notice("dropple: a game ran longer than a replay holds; it was not kept.");
    }
}

void recordend() {
    if (!recording)
        return;
    recording = false;
    game.end = currentresult();
    const std::vector<unsigned char> bytes = encodereplay(game);
    const std::string folder = whereis("replays");
    std::string name;
    unsigned char probe;
    for (int copy = 1; copy < 100; copy++) {
        name = replayname(game, copy);
        if (readfile((folder + "/" + name).c_str(), &probe, 0) == -1)
            break;
    }
    if (!replacefile((folder + "/" + name).c_str(), bytes.data(),
                     static_cast<long>(bytes.size()))) {
        notice("dropple: replays cannot be written in " + folder + "; games were not kept.");
        return;
    }
    noterecord(game.mode, game.end, game.date, name);
    prune(folder);
}

#include "shell/recorder.h"
#include "frontend/frontend.h"
#include "frontend/records.h"
#include "platform/platform.h"
#include "shell/ingamev.h"
#include "shell/random.h"
#include "shell/replay.h"
#include "shell/shell.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <utility>

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
// How many go at the end of one game at most: a folder far past the limit (replays copied in)
// comes down over a few games, instead of holding up the end of one while thousands are removed.
constexpr std::size_t removedatonce = 20;

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

// Whether the game named this replay itself ("20261207-142501-dropple2-2.replay"): only those
// are counted, and pruned; a player's own files in the folder are left alone.
bool ownname(const std::string& n) {
    auto digits = [&](std::size_t at, std::size_t count) {
        return n.size() >= at + count && n.find_first_not_of("0123456789", at) >= at + count;
    };
    if (n.size() < 24 || !digits(0, 8) || n[8] != '-' || !digits(9, 6) || n[15] != '-' ||
        n.compare(n.size() - 7, 7, ".replay") != 0)
        return false;
    const std::string slug = n.substr(16, n.size() - 23);
    return !slug.empty() &&
           slug.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789-") == std::string::npos;
}

// The oldest replays go once more than the limit are kept; a replay that holds a record stays, and
// so does the one just written.
void prune(const std::string& folder, const std::string& newest) {
    std::vector<std::string> names = listfolder(folder.c_str());
    const std::vector<std::string> records = recordreplays();
    const bool holds = std::find(records.begin(), records.end(), newest) != records.end();
    std::erase_if(names, [&](const std::string& n) {
        return !ownname(n) || n == newest ||
               std::find(records.begin(), records.end(), n) != records.end();
    });
    // By the second they were played in, and copies of one second by their number.
    auto order = [](const std::string& n) {
        const std::size_t dash = n.rfind('-');
        const bool copy = dash > 15 && n.find_first_not_of("0123456789", dash + 1) == n.size() - 7;
        return std::pair(n.substr(0, 15),
                         copy ? std::strtoul(n.c_str() + dash + 1, nullptr, 10) : 1ul);
    };
    std::sort(names.begin(), names.end(),
              [&](const std::string& a, const std::string& b) { return order(a) < order(b); });
    const std::size_t keep = keptreplays - (holds ? 0 : 1);
    for (std::size_t k = 0; k + keep < names.size() && k < removedatonce; k++)
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
    // Another copy of the game ending now waits, so that its replay takes another name and its
    // record is filed beside this one's.
    holdfiles(true);
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
    } else {
        noterecord(game.mode, game.end, game.date, name);
        prune(folder, name);
    }
    holdfiles(false);
}

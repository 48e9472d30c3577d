// Playing a recorded game again: the recorded key slots stand in for the keyboard, frame by frame,
// from the same generator state, timings and key state, so the game takes the same course.
#include "console/screen.h"
#include "console/sound.h"
#include "frontend/frontend.h"
#include "platform/platform.h"
#include "shell/ingameloop.h"
#include "shell/ingamev.h"
#include "shell/random.h"
#include "shell/recorder.h"
#include "shell/replay.h"
#include "shell/shell.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr unsigned char returnkey = 0x0D, escapekey = 0x1B;

// Return pauses and resumes the playback: true on the frame it goes down.
bool returnpressed() {
    static bool was = true; // the Return that started the program is not a press
    const bool down = keydown(returnkey);
    const bool pressed = down && !was;
    was = down;
    return pressed;
}

// Runs the game on the recorded slots; returns how many frames it ran.
std::uint32_t run(const replay& r, bool check) {
    std::size_t next = 0;
    std::uint64_t changeat = r.changes.empty() ? ~0ull : r.changes[0].gap;
    std::uint8_t slots = 0;
    bool paused = false;
    for (std::uint32_t frame = 0; frame < r.ticks;) {
        if (!check && !ingamev.over) {
            paused = returnpressed() != paused;
            if (paused) {
                framesleep(3);
                if (leaving())
                    return frame;
                continue;
            }
        }
        if (frame == changeat) {
            slots = r.changes[next].slots;
            changeat = ++next < r.changes.size() ? changeat + r.changes[next].gap : ~0ull;
        }
        frame++;
        if (!playframe(slots))
            return frame;
        // Once the game is over nothing changes on screen: the time the player took to leave it
        // is not sat through again, nor are the pauses toggled meanwhile heard.
        if (ingamev.over)
            mutesounds(true);
        else if (!check)
            framesleep(3);
        if (!check && leaving())
            return frame;
    }
    return r.ticks;
}

// The first field in which two ends differ, with both values: "score: recorded 9241, replayed
// 9242"; empty when they are the same.
std::string firstdifference(const gameresult& was, const gameresult& now) {
    static const char* const hows[] = {"left", "topped out", "won", "?"};
    const struct {
        const char* name;
        std::uint64_t was, now;
    } fields[] = {{"score", was.score, now.score},    {"lines", was.lines, now.lines},
                  {"level", was.level, now.level},    {"frames", was.frames, now.frames},
                  {"pieces", was.pieces, now.pieces}, {"ending", was.how, now.how},
                  {"board", was.board, now.board}};
    for (const auto& f : fields) {
        if (f.was == f.now)
            continue;
        std::string a = std::to_string(f.was), b = std::to_string(f.now);
        if (std::string(f.name) == "ending")
            a = hows[f.was < 3 ? f.was : 3], b = hows[f.now < 3 ? f.now : 3];
        else if (std::string(f.name) == "board") {
            char x[2][16];
            std::snprintf(x[0], sizeof x[0], "%08llx", static_cast<unsigned long long>(f.was));
            std::snprintf(x[1], sizeof x[1], "%08llx", static_cast<unsigned long long>(f.now));
            a = std::string("checksum ") + x[0], b = std::string("checksum ") + x[1];
        }
        return std::string(f.name) + ": recorded " + a + ", replayed " + b;
    }
    return "";
}

} // namespace

int playback(const char* file, bool check, bool window) {
    std::vector<unsigned char> bytes(static_cast<std::size_t>(maxreplaysize()) + 1);
    // The file the player named, here: a bare "records" or "replays" is not the game's own.
    std::string path = file;
    if (path.find_first_of("/\\") == std::string::npos)
        path = "./" + path;
    const long n = readfile(path.c_str(), bytes.data(), static_cast<long>(bytes.size()));
    replay r;
    std::string why = n == -1 ? "no such file"
                      : n < 0 ? "cannot be read"
                              : decodereplay(bytes.data(), static_cast<std::size_t>(n), &r);
    if (!why.empty()) {
        std::fprintf(stderr, "dropple: %s: %s\n", file, why.c_str());
        return 2;
    }

    if (check) {
        mutesounds(true);
    } else {
        platformopen(window ? display::window : display::terminal);
        initscreen();
        matchsize();
        initload(); // the player's own colours
    }
    setrandomstate(r.random);
    startgame(r.mode);
    INGAMEDAS = r.das, INGAMEARR = r.arr, INGAMESDS = r.sds;
    std::memcpy(keys, r.keys, sizeof keys);
    std::memcpy(daskeys, r.daskeys, sizeof daskeys);
    std::memcpy(arrkeys, r.arrkeys, sizeof arrkeys);
    const std::uint32_t ran = run(r, check);
    if (!check) {
        // The last picture stays until the player has seen it.
        while (!leaving() && !returnpressed() && !keydown(escapekey))
            framesleep(3);
    }

    mutesounds(false);
    gameresult reached = currentresult();
    const bool same = reached == r.end && ran == r.ticks;
    if (!check)
        platformclose();
    if (ran < r.ticks && !check && leaving()) {
        std::printf("recorded: %s\nleft before its end\n", describe(r.end).c_str());
        return 1;
    }
    const std::string first = firstdifference(r.end, reached);
    std::printf("recorded: %s\nreplayed: %s\n%s\n", describe(r.end).c_str(),
                describe(reached).c_str(),
                same               ? "the same end"
                : reached == r.end ? "the same end, after a different number of frames"
                                   : ("a different end, first in " + first).c_str());
    return same ? 0 : 1;
}

// A stand-in for end-to-end tests of the keyboard, writing what it sees to the file named first
// on its command line, 60 times a second.
// standin keys FILE: for every key that has been down, how many separate presses, frames in all
// and frames in the longest unbroken run, and which keys are down now, with the key source; it
// also chatters on stderr, as a library might, which must never reach the screen. Ctrl-C ends it.
// standin game FILE ARR: one game ("Dropple 3") with that auto repeat speed; the piece's column,
// the hold slot and the frame count (from a second thread that only reads: a torn value can only
// make a test fail).
#include "console/platform.h"
#include "console/platform/term_keys.h"
#include "console/screen.h"
#include "frontend/frontend.h"
#include "shell/ingamev.h"
#include "shell/shell.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

std::string out;

void report(const std::string& text) {
    if (std::FILE* f = std::fopen((out + ".part").c_str(), "w")) {
        std::fputs(text.c_str(), f);
        std::fclose(f);
        std::rename((out + ".part").c_str(), out.c_str());
    }
}

std::string gamestatus() {
    return "frames: " + std::to_string(ingamev.frames) +
           "\ncolumn: " + std::to_string(ingamev.piecex[0]) +
           "\nhold: " + std::to_string(ingamev.hold) + "\n";
}

void keyview() {
    static const char* sources[] = {"protocol", "x", "devices", "repeat"};
    unsigned presses[256] = {}, frames[256] = {}, run[256] = {}, longest[256] = {};
    for (;;) {
        std::string down = "down:", seen = "seen:";
        char item[32];
        for (int k = 1; k < 255; k++) {
            const bool d = keydown(static_cast<unsigned char>(k));
            presses[k] += d && run[k] == 0;
            run[k] = d ? run[k] + 1 : 0;
            frames[k] += d;
            longest[k] = std::max(longest[k], run[k]);
            std::snprintf(item, sizeof item, " %02X", k);
            if (d)
                down += item;
            std::snprintf(item, sizeof item, " %02X:%u/%u/%u", k, presses[k], frames[k],
                          longest[k]);
            if (presses[k])
                seen += item;
        }
        const std::string text = down + "\n" + seen;
        for (int i = 0; i < screenrows * screencols; i++)
            screen[i] = {static_cast<std::uint16_t>(i < int(text.size()) ? text[i] : ' '), 0x07};
        report(std::string("source: ") + sources[keysfrom()] + "\n" + text + "\n");
        std::fputs("scribble\n", stderr);
        framesleep(3);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3)
        return 2;
    out = argv[2];
    platformopen();
    initscreen();
    matchsize();
    if (std::string(argv[1]) == "keys")
        keyview();
    initload();
    INGAMEARR = static_cast<std::uint32_t>(std::strtoul(argc > 3 ? argv[3] : "0", nullptr, 0));
    savesettings();
    std::atomic<bool> done{false};
    std::thread watch([&] {
        while (!done) {
            report(gamestatus());
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });
    ingame(1);
    done = true;
    watch.join();
    report(gamestatus() + "ended\n");
    platformclose();
    return 0;
}

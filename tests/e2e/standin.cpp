// For end-to-end tests of the keyboard, writing what it sees to FILE at every frame. "keys FILE":
// each key's presses, frames down and longest run, the keys down and the key source; it chatters
// on stderr as a library might. "game FILE ARR": "Dropple 3" at that auto repeat speed; column,
// hold, piece count and frame count, read by a second thread (a torn value can only make a test
// fail).
#include "console/platform.h"
#include "console/platform/term/keys.h"
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
           "\nhold: " + std::to_string(ingamev.hold) +
           "\npieces: " + std::to_string(ingamev.piececount) + "\n";
}

[[noreturn]] void keyview() {
    static const char* sources[] = {"protocol", "x", "devices", "repeat"};
    unsigned presses[256] = {}, frames[256] = {}, run[256] = {}, longest[256] = {};
    for (char item[32];;) {
        std::string text = "down:", seen = "\nseen:";
        for (int k = 1; k < 255; k++) {
            const bool d = keydown(static_cast<unsigned char>(k));
            presses[k] += d && run[k] == 0;
            frames[k] += d;
            run[k] = d ? run[k] + 1 : 0;
            longest[k] = std::max(longest[k], run[k]);
            std::snprintf(item, sizeof item, " %02X", k);
            text += d ? item : "";
            std::snprintf(item, sizeof item, " %02X:%u/%u/%u", k, presses[k], frames[k],
                          longest[k]);
            seen += presses[k] ? item : "";
        }
        text += seen;
        for (int i = 0; i < screenrows * screencols; i++)
            screen[i] = {static_cast<std::uint16_t>(i < int(text.size()) ? text[i] : ' '), 0x07};
        report(std::string("source: ") + sources[keysfrom()] + "\n" + text + "\n");
        std::fputs("scribble\n", stderr);
        framesleep(showscreen);
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
        for (; !done; std::this_thread::sleep_for(std::chrono::milliseconds(5)))
            report(gamestatus());
    });
    ingame(1);
    done = true;
    watch.join();
    report(gamestatus() + "ended\n");
    platformclose();
}

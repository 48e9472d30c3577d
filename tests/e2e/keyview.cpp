// A stand-in screen for end-to-end tests of the keyboard: at 60 frames a second it shows, for
// every key that has been down, how many separate presses, how many frames in all and in the
// longest unbroken run the game saw, and
// which keys are down now; it also writes that, with the key source in use, to the file named
// on its command line. Ctrl-C ends it, as it ends the game.
#include "console/platform.h"
#include "console/platform/term_keys.h"
#include "console/screen.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

void text(int row, const char* s) {
    for (int c = 0; c < screencols; c++) {
        const char ch = *s ? *s++ : ' ';
        screen[row * screencols + c] = {static_cast<std::uint16_t>(ch), 0x07};
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return 2;
    const std::string out = argv[1];
    const std::string part = out + ".part";
    static const char* sources[] = {"protocol", "x", "devices", "repeat"};
    platformopen();
    initscreen();
    unsigned presses[256] = {}, frames[256] = {}, run[256] = {}, longest[256] = {};
    bool was[256] = {};
    std::uint64_t frame = 0;
    for (;;) {
        char line[512] = "down:";
        char counts[2048] = "seen:";
        for (int k = 1; k < 255; k++) {
            const bool down = keydown(static_cast<unsigned char>(k));
            if (down && !was[k])
                presses[k]++;
            run[k] = down ? run[k] + 1 : 0;
            if (down)
                frames[k]++;
            if (run[k] > longest[k])
                longest[k] = run[k];
            was[k] = down;
            char item[32];
            if (down && std::strlen(line) < sizeof line - 8) {
                std::snprintf(item, sizeof item, " %02X", k);
                std::strcat(line, item);
            }
            if (presses[k] && std::strlen(counts) < sizeof counts - 24) {
                std::snprintf(item, sizeof item, " %02X:%u/%u/%u", k, presses[k], frames[k],
                              longest[k]);
                std::strcat(counts, item);
            }
        }
        for (int row = 0; row < screenrows; row++)
            text(row, "");
        char head[64];
        std::snprintf(head, sizeof head, "frame %llu", static_cast<unsigned long long>(frame++));
        text(0, head);
        text(1, line);
        // The counts wrap over as many rows as they need.
        const std::size_t n = std::strlen(counts);
        for (int row = 2; row < screenrows && static_cast<std::size_t>(row - 2) * 80 < n; row++)
            text(row, counts + (row - 2) * 80);
        if (std::FILE* f = std::fopen(part.c_str(), "w")) {
            std::fprintf(f, "source: %s\nframe: %llu\n%s\n%s\n", sources[keysfrom()],
                         static_cast<unsigned long long>(frame), line, counts);
            std::fclose(f);
            std::rename(part.c_str(), out.c_str());
        }
        framesleep(3);
    }
}

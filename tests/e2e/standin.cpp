// For end-to-end tests of the keyboard: "standin FILE" writes what it sees to FILE at every frame:
// the frames so far, the key source, the keys down, and each key's presses, frames down and
// longest run. It chatters on stderr as a library might.
#include "console/screen.h"
#include "platform/platform.h"
#include "platform/term/keys.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc < 2)
        return 2;
    const std::string out = argv[1], part = out + ".part";
    platformopen();
    initscreen();
    matchsize();
    static const char* sources[] = {"protocol", "x", "devices", "repeat"};
    unsigned presses[256] = {}, frames[256] = {}, run[256] = {}, longest[256] = {};
    for (unsigned long frame = 0; !leaving(); frame++) {
        std::string text = "down:", seen = "\nseen:";
        char item[32];
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
        // Whole or not at all: the reader never sees a half-written report.
        if (std::FILE* f = std::fopen(part.c_str(), "w")) {
            std::fprintf(f, "frames: %lu\nsource: %s\n%s\n", frame, sources[keysfrom()],
                         text.c_str());
            std::fclose(f);
            std::rename(part.c_str(), out.c_str());
        }
        std::fputs("scribble\n", stderr);
        framesleep(showscreen);
    }
    platformclose();
    return 0;
}

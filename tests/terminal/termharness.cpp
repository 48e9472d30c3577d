// A stand-in game for the terminal tests: it paints a known picture on every frame through the real
// terminal back end and the frame pacer. Usage: termharness [frames] (0 or none: until stopped).
// The picture: row r, column c holds byte (r * 80 + c) mod 256 in colours that vary by cell; the
// frame counter goes into row 0, columns 0-5, so a test can see the game go on. Every frame also
// writes a line to stderr, as a chatty library would; after the end one line there must show.
#include "console/platform.h"
#include "console/screen.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    long frames = argc > 1 ? std::atol(argv[1]) : 0;
    platformopen();
    initscreen();
    matchsize();
    for (long f = 1; frames == 0 || f <= frames; f++) {
        for (int i = 0; i < screenrows * screencols; i++)
            screen[i] = {static_cast<std::uint16_t>(i % 256),
                         static_cast<std::uint16_t>((i / 256 + i) % 256)};
        char text[8];
        std::snprintf(text, sizeof text, "%06ld", f % 1000000);
        for (int c = 0; c < 6; c++)
            screen[c] = {static_cast<std::uint16_t>(text[c]), 0x0F};
        std::fputs("scribble\n", stderr);
        framesleep(3);
    }
    platformclose();
    std::fputs("stderr is back\n", stderr);
    return 0;
}

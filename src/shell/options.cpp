#include "shell/options.h"
#include "console/platform.h"

#include <cstdio>
#include <cstring>
#include <string>

#ifndef DROPPLE_VERSION
#define DROPPLE_VERSION "0"
#endif

namespace {

void help(std::FILE* to) {
    std::fprintf(to, "Usage: dropple [option]\n"
                     "A falling-block puzzle game for a terminal of 80 by 25 cells.\n\n"
                     "  --help     print this help and end\n"
                     "  --version  print the version and end\n");
    if (canshow(display::window))
        std::fprintf(to, "  --window   play in a window of its own instead of the terminal\n");
    std::fprintf(to,
                 "\nFiles (the working directory's own \"savefile\" and \"audio\" come first):\n");
    for (const char* name : {"savefile", "audio"}) {
        std::string at = whereis(name);
        if (at.find('/') == std::string::npos)
            at += " (in the working directory)";
        std::fprintf(to, "  %-9s  %s\n", name, at.c_str());
    }
}

} // namespace

int readoptions(int argc, char** argv, options* out) {
    for (int i = 1; i < argc; i++) {
        const char* a = argv[i];
        if (std::strcmp(a, "--help") == 0 || std::strcmp(a, "-h") == 0) {
            help(stdout);
            return 0;
        }
        if (std::strcmp(a, "--version") == 0) {
            std::printf("dropple %s\n", DROPPLE_VERSION);
            return 0;
        }
        if (std::strcmp(a, "--window") == 0 && canshow(display::window)) {
            out->window = true;
            continue;
        }
        std::fprintf(stderr, "dropple: unknown option '%s'\n\n", a);
        help(stderr);
        return 2;
    }
    return -1;
}

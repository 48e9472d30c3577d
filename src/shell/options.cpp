#include "shell/options.h"
#include "platform/platform.h"

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
                     "  --help           print this help and end\n"
                     "  --version        print the version and end\n");
    if (canshow(display::window))
        std::fprintf(to,
                     "  --window         play in a window of its own instead of the terminal\n");
    std::fprintf(to,
                 "  --replay FILE    watch a recorded game (Return pauses, Ctrl-C ends)\n"
                 "  --check FILE     replay it without showing it; status 0 when it ends as\n"
                 "                   recorded, 1 when not, 2 when it is no replay\n"
                 "  --records        print the personal bests\n"
                 "\nKeys: a terminal that reports key presses only (tmux, screen, any terminal\n"
                 "over ssh) never sees left Shift, the hold key, pressed alone: there C stands\n"
                 "in for it, or the first of V A S D F Q W E that no key of the game is bound\n"
                 "to, as the menu's bottom line says. The settings stay as they are.\n");
    std::fprintf(to,
                 "\nFiles (the working directory's own \"savefile\" and \"audio\" come first):\n");
    for (const char* name : {"savefile", "audio", "records", "replays"}) {
        std::string at = whereis(name);
        // Without its sounds the game is silent: say so before it is.
        const bool silent = std::strcmp(name, "audio") == 0 && listfolder(at.c_str()).empty();
        if (at.find_first_of("/\\") == std::string::npos)
            at += " (in the working directory)";
        if (silent)
            at += " (not there: no sounds)";
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
        if (std::strcmp(a, "--records") == 0) {
            out->records = true;
            continue;
        }
        // --check FILE, or --check beside --replay FILE.
        const bool check = std::strcmp(a, "--check") == 0;
        out->check = out->check || check;
        if (check && (i + 1 == argc || argv[i + 1][0] == '-'))
            continue;
        if (std::strcmp(a, "--replay") == 0 && (i + 1 == argc || argv[i + 1][0] == '-')) {
            std::fprintf(stderr, "dropple: --replay needs a replay: dropple --replay FILE\n");
            return 2;
        }
        if ((check || std::strcmp(a, "--replay") == 0) && i + 1 < argc) {
            out->replay = argv[++i];
            continue;
        }
        std::fprintf(stderr, "dropple: unknown option '%s'\n\n", a);
        help(stderr);
        return 2;
    }
    return -1;
}

#include "console/platform.h"
#include "console/screen.h"
#include "frontend/frontend.h"
#include "shell/options.h"
#include "shell/shell.h"

#include <cstdio>

int main(int argc, char** argv) {
    options opts;
    int status = readoptions(argc, argv, &opts);
    if (status >= 0)
        return status;
    platformopen(opts.window ? display::window : display::terminal);
    initscreen();
    matchsize();
    dispatch();
    platformclose();
    // After the display is given back, so the line stays on the player's screen.
    if (!settingsunsaved().empty())
        std::fprintf(stderr, "dropple: settings not saved: %s\n", settingsunsaved().c_str());
    return 0;
}

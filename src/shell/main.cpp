#include "console/screen.h"
#include "frontend/frontend.h"
#include "frontend/records.h"
#include "platform/platform.h"
#include "shell/options.h"
#include "shell/recorder.h"
#include "shell/shell.h"

#include <cstdio>

int main(int argc, char** argv) {
    options opts;
    int status = readoptions(argc, argv, &opts);
    if (status >= 0)
        return status;
    if (opts.records)
        return printrecords();
    if (opts.replay)
        return playback(opts.replay, opts.check, opts.window);
    if (opts.check) {
        std::fprintf(stderr, "dropple: --check needs a replay: dropple --check FILE\n");
        return 2;
    }
    keepgames(true);
    platformopen(opts.window ? display::window : display::terminal);
    initscreen();
    matchsize();
    dispatch();
    if (!settingsunsaved().empty())
        notice("dropple: settings not saved: " + settingsunsaved());
    platformclose();
    // After the display is given back, so the lines stay on the player's screen; however the
    // player left (a display that was left from outside ends the program its own way after them).
    printnotices();
    return 0;
}

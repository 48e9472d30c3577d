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
    platformclose();
    // After the display is given back, so the line stays on the player's screen.
    if (!settingsunsaved().empty())
        std::fprintf(stderr, "dropple: settings not saved: %s\n", settingsunsaved().c_str());
    printnotices();
    return 0;
}

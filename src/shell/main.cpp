#include "console/platform.h"
#include "console/screen.h"
#include "shell/options.h"
#include "shell/shell.h"

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
    return 0;
}

// The entry of the SDL module: the window's display table and the mixer's sound calls.
#include "platform/sdlparts.h"
#include "platform/platform.h"
#include "platform/window/window.h"

#ifndef DROPPLE_VERSION
#define DROPPLE_VERSION "0"
#endif

extern "C" const sdlparts* dropplesdlparts() {
    static const sdlparts parts = {DROPPLE_VERSION, &windowbackend, soundopen, soundplay};
    return &parts;
}

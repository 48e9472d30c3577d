// How the Linux program reaches its SDL module (platform/sdlparts.h).
#pragma once

#include <string>

struct sdlparts;

// Loads the module, once, on whichever thread asks first: beside the program (a build), then the
// way from the program to where it is installed (a copy under any prefix), then there. Null when
// it cannot be loaded, `why` (when given) then saying why in a few words.
const sdlparts* sdlload(std::string* why = nullptr);

// The sounds start loading in the background, and take over once loaded; called at each picture
// the terminal shows, from the first on, so neither the first byte nor the menu waits for SDL.
void soundstart();

// Where an installed game finds its files, as a rule on plain values so it can be checked without
// touching the player's home folder.
#pragma once

#include <string>

struct placesfound {
    bool here = false; // the working directory holds the name (a "savefile", an audio folder)
    const char* datahome = nullptr; // $XDG_DATA_HOME, null when unset
    const char* home = nullptr;     // $HOME, null when unset
    std::string installed;          // the audio folder the game was installed with
};

// The path of "savefile" or "audio" for a game started with what `found` holds; any other name
// stays as it is. A working directory that holds the name wins, as it did before the game could be
// installed.
std::string placeof(const std::string& name, const placesfound& found);

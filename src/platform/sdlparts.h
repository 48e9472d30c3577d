// The part of the Linux program that uses SDL: the window and the sound, built as a module of its
// own that the program loads the first time it needs either. A game in the terminal then starts
// without the loader mapping SDL and every library it needs, and plays silently, and says it
// cannot open a window, where the module or SDL is missing.
#pragma once

#include <string>

struct backend;

// What the module hands the program. Built together with it: a module of another version is
// refused.
struct sdlparts {
    const char* version;
    const backend* window;
    void (*soundopen)(const std::string& name);
    void (*soundplay)(const std::string& name);
};

// The one symbol the module exports.
extern "C" const sdlparts* dropplesdlparts();

// The module's file, beside the program in a build, else where it was installed.
constexpr char sdlmodulename[] = "dropple-sdl.so";

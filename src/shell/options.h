// The command line: what the player asked for when starting the game.
#pragma once

struct options {
    bool window = false;          // play in a window of its own instead of the terminal
    const char* replay = nullptr; // a replay to play back instead of playing
    bool check = false;           // check the replay without showing it
    bool records = false;         // print the personal bests
};

// Reads the arguments. Answers --help and --version itself; on a word it does not know it prints
// the help to stderr. Returns -1 to go on and play, else the status the program should end with.
int readoptions(int argc, char** argv, options* out);

// Shared between the files of the terminal back end; nothing outside platform/ includes it.
#pragma once

#include <cstddef>

// Input side (term_input*.cpp): the keyboard.
void keysopen();  // after the terminal is in raw mode on the alternate screen
void keysclose(); // before the terminal leaves the alternate screen
void keyspoll();  // take in whatever input is pending, without waiting
bool keysdown(unsigned char code);
void keysreleaseall();

// Output and lifecycle side (term_output.cpp, term_life.cpp), for the input side to call.
void termquit();    // Ctrl-C: restore the terminal and end the program
void termsuspend(); // Ctrl-Z: restore the terminal, stop, and redraw on return

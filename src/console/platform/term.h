// Shared between the files of the terminal back end; nothing outside platform/ includes it.
#pragma once

#include <cstddef>

// Input side (term_input*.cpp): the keyboard.
void keysopen();  // after the terminal is in raw mode on the alternate screen
void keysclose(); // before the terminal leaves the alternate screen
void keyspoll();  // take in whatever input is pending, without waiting
bool keysdown(unsigned char code);
void keysreleaseall();
// The bytes that turn off what keysopen turned on (keyboard protocol, focus and mouse reports),
// for every way out, signals included: the pointer and the text stay valid, so a handler may
// write them. They become empty when keysclose has written them itself.
const char* keysoffbytes();
// Back from a suspend, on the alternate screen in raw mode again: the reports go back on.
void keysresume();
// After the terminal has been restored at exit: one line on stderr when held keys were guessed.
void keysnotice();
// The terminal's answer to a mode query (CSI ? n $ p) written before keysopen: the value of its
// report (1 or 2: the mode is there), or 0 when it gave none.
int keysmodereport(int mode);

// Output and lifecycle side (term_output.cpp, term_life.cpp), for the input side to call.
void termquit();    // Ctrl-C: restore the terminal and end the program
void termsuspend(); // Ctrl-Z: restore the terminal, stop, and redraw on return

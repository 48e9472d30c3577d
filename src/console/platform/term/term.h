// Shared between the files of the terminal back end; nothing outside platform/ includes it.
#pragma once

#include <cstddef>
#include <cstdint>

// Input side (term_input*.cpp): the keyboard.
void keysopen();  // after the terminal is in raw mode on the alternate screen
void keysclose(); // before the terminal leaves the alternate screen
// Takes in whatever input is pending, without waiting; the keys move on by what was heard before
// the frame beginning now is due to end (`due`, on the counter).
void keyspoll(std::uint64_t due);
bool keysdown(unsigned char code);
void keysreleaseall();
// Called once after the terminal has been restored and stderr given back, so a line printed there
// stays on the player's screen. A default that prints nothing exists for when the input side has
// nothing to say.
void keysnote();

// Output and lifecycle side (term_output.cpp, term_life.cpp), for the input side to call.
void termquit();    // Ctrl-C: restore the terminal and end the program
void termsuspend(); // Ctrl-Z: restore the terminal, stop, and redraw on return
void termlost();    // the terminal has gone (end of input, EIO): end as a hang-up does
// The terminal file descriptors: input is read from termin() (raw mode: VMIN 1, VTIME 0, so poll
// before reading), and termwrite() writes bytes such as queries straight to the terminal.
int termin();
void termwrite(const char* bytes, std::size_t n);
// The input side's report modes: `on` turns them on (sent again after Ctrl-Z and `fg`), `off` turns
// them off in reverse order. From this call on, `off` is sent on every way out, also from signal
// handlers, so the input side never sends it itself. Each is copied, at most 128 bytes.
void termkeymodes(const char* on, const char* off);

// The seam's display functions as the terminal implements them (term_backend.cpp gathers them).
struct cell;
void termopen();
void termclose();
bool termkeydown(unsigned char code);
void termusecodepage437();
void termhidecursor();
bool termconsolesize(short* cols, short* rows);
bool termsetbuffersize(short cols, short rows);
bool termsetwindow(short left, short top, short right, short bottom);
void termpresent(const cell* buffer, short left, short top, short right, short bottom);
void termsetpalette(const unsigned char* rgb);
void termpump(std::uint64_t due);

// The whole terminal back end, as the Linux program opens it.
struct backend;
extern const backend termbackend;

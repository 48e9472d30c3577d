// The terminal's lifecycle: taking it over, and giving it back exactly as it was on every way out,
// including signals, where only async-signal-safe calls may run.
#pragma once

#include <cstddef>

// Finds the terminal to play in (without one the program says so and ends with status 1), puts it
// in raw mode on the alternate screen with the cursor hidden, and from then on gives it back on
// every way out; stderr goes nowhere meanwhile, so libraries cannot scribble over the picture.
void takeover();
// Gives the terminal back now, and the signals and stderr their own again.
void handback();

// Input is read from termin() (raw mode: VMIN 1, VTIME 0, so poll before reading); the picture and
// the keyboard's questions go to termout().
int termin();
int termout();
// The picture goes to termframes(): the same terminal, through a descriptor that never blocks.
int termframes();
// Picture bytes to termframes(), as writeall, but only while the terminal is the game's: false also
// once it has been given back (then termowned() says so), and nothing more goes out after that.
bool termdraw(const char* bytes, std::size_t n, int waitms);

// Each frame, before anything is drawn: whether the terminal is the game's to draw on. A game that
// finds itself in the background gives the terminal back and stops, as any program does that
// wants its terminal there; in the foreground it takes the terminal again when it had given it
// up or was stopped, and then `again` says the picture must be drawn whole.
bool terminalours(bool* again);
bool termowned();

// The report modes the input side has just sent: `on` turns them on (sent again after Ctrl-Z and
// `fg`), `off` turns them off in reverse order and is sent on every way out from this call on, also
// from signal handlers. Each is copied, at most 128 bytes.
void reportmodes(const char* on, const char* off);
// Whether a frame that opens a synchronized update is being written: a way out that cuts it short
// ends the update, and no other way out does.
void syncopen(bool open);

// Whether the terminal changed size, or came back from a suspend, since the last call.
bool takeresized();
bool takeresumed();

// The player asked to leave: Ctrl-C, SIGINT, SIGTERM or SIGHUP, or the terminal gone. The signal's
// handler only notes it; the game finishes at its next frame, and the program then ends as that
// signal ends any program. 0 while nobody asked.
int leavesignal();
// The keyboard's Ctrl-C (SIGINT) or a terminal that has gone (SIGHUP), noted as the signal would
// be.
void leaveas(int sig);

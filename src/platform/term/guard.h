// The guardian: a parent process that outlives a game killed outright and gives the terminal back.
#pragma once

#include <csignal>
#include <cstddef>
#include <termios.h>

// Every signal whose default ends the program, but for SIGKILL and SIGSTOP, which cannot be caught,
// and SIGPIPE and SIGXFSZ, which the game ignores so that the write fails instead. The real-time
// signals follow at run time (their range is the C library's to say).
inline constexpr int fatals[] = {SIGINT,    SIGTERM, SIGHUP,  SIGQUIT,   SIGSEGV, SIGBUS,  SIGFPE,
                                 SIGILL,    SIGABRT, SIGTRAP, SIGSYS,    SIGUSR1, SIGUSR2, SIGALRM,
                                 SIGVTALRM, SIGPROF, SIGXCPU, SIGSTKFLT, SIGPWR,  SIGIO};

template <class F> void eachfatal(F f) {
    for (int sig : fatals)
        f(sig);
    for (int sig = SIGRTMIN; sig <= SIGRTMAX; sig++)
        f(sig);
}

// Signal dispositions for the game's handlers and the guardian alike; both are async-signal-safe.
void sighandle(int sig, void (*handler)(int), int flags);
// Takes the signal's default action now (dies of it, or stops), as if no handler had been there.
void sigdefault(int sig);

// What it takes to give the terminal back; the game keeps it up to date, the guardian and the
// minder read it when the game cannot act (dead, or stopped outright).
struct giveback {
    // Nonzero while the terminal is the game's: a new number each time the game takes it, so one
    // who saw the game stopped can tell that it has since come back and taken the terminal again.
    volatile sig_atomic_t owned;
    volatile sig_atomic_t syncing; // a frame that holds the terminal's picture back is being sent
    // The game is writing picture bytes: one who claims the terminal waits for the write to end
    // before giving it back, so no picture lands on the shell's screen after it.
    volatile sig_atomic_t drawing;
    // From a claim until the settings are set again: one who gives the terminal back but cannot
    // set them (or dies first) leaves them to whoever comes next.
    volatile sig_atomic_t unsettled;
    // Set once the guardian has its minder, or knows it cannot have one: the game waits for it.
    volatile int ready;
    // Set by the guardian that found the game stopped outright, cleared by the minder once it has
    // looked (and given the terminal back if the game still held it): the guardian is in the job,
    // and a stop of the whole job could catch it between its claim and the bytes.
    volatile int asked;
    volatile sig_atomic_t lacking; // what could not be had at start, for the game to say
    bool havetermios;
    termios saved;
    char leave[256]; // the report modes off, then the screen and cursor back
    volatile std::size_t leavelen;
};

// Whether the terminal was the game's: then it is not any more, and the caller gives it back. Two
// processes may try at once (the game and the minder), and only one may write the bytes. With
// `seen`, only while the game still holds it as it did when `seen` was read from `owned`.
bool claimterminal(giveback* g, sig_atomic_t seen = 0);
// Around each write of the picture, with the game's signals held off: whether the terminal is
// still the game's, and then it stays so until drawdone (a claim meanwhile waits for it).
inline bool drawbegin(giveback* g) {
    g->drawing = 1;
    __sync_synchronize();
    if (g->owned)
        return true;
    g->drawing = 0;
    return false;
}
inline void drawdone(giveback* g) {
    __sync_synchronize();
    g->drawing = 0;
}
// The next value of `owned` for the game taking the terminal.
sig_atomic_t nexttake(const giveback* g);
// Writes the bytes that give the terminal back, then its settings; async-signal-safe, for the
// game's ways out and the guardian alike. Settings that cannot be set now are left to the next.
void giveterminal(giveback* g, int in, int out);
// Sets the settings that the one who gave the terminal back could not; every process that
// finds the terminal already given back calls this.
void settleterminal(giveback* g, int in);

// Splits the program in two. The parent becomes the guardian, waits for the game and never
// returns; the child returns, with the record the guardian will read, once the guardian has its
// minder. Without memory to share or a second process the game goes on alone, with a record of its
// own; what is missing is said on stderr, before the screen is taken.
giveback* guardstart(int in, int out);

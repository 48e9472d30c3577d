// The terminal's lifecycle: taking it over, and giving it back exactly as it was on every way out,
// including signals, where only async-signal-safe calls may run.
#include "platform/term/life.h"
#include "platform/term/guard.h"
#include "platform/term/output.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <initializer_list>
#include <termios.h>
#include <time.h>
#include <unistd.h>

namespace {

int infd = 0;
int outfd = 1;
int framefd = -1;
bool inuse = false; // between takeover and handback
termios raw;
int savedstderr = -1;
sigset_t taken; // the signals the game restores the terminal for

volatile sig_atomic_t resized = 0;
volatile sig_atomic_t resumed = 0;
volatile sig_atomic_t leaveby = 0; // the signal the player left by
volatile sig_atomic_t leftat = 0;  // when, in seconds of the monotonic clock

// Shared with the guardian once it is there.
giveback alone;
giveback* back = &alone;

// Built before any handler can run, so the handlers only write them.
constexpr std::size_t modesmax = 128;
char keyon[modesmax + 1];
char keyoff[modesmax + 1];
char enter[256];
std::size_t enterlen = 0;

// Alternate screen and hidden cursor.
constexpr char enterbase[] = "\x1b[?1049h\x1b[?25l";
// After the report modes are off (what a frame cut short may have left open is giveterminal's).
constexpr char leavetail[] = "\x1b[0m\x1b[?25h\x1b[?1049l";

void append(char* buf, std::size_t* len, std::size_t cap, const char* s) {
    std::size_t n = std::strlen(s);
    if (*len + n > cap)
        return;
    std::memcpy(buf + *len, s, n);
    *len += n;
}

void build() {
    enterlen = 0;
    append(enter, &enterlen, sizeof enter, enterbase);
    append(enter, &enterlen, sizeof enter, keyon);
    // Written whole before its length, so the guardian never reads a half-made sequence.
    char leave[sizeof back->leave];
    std::size_t leavelen = 0;
    append(leave, &leavelen, sizeof leave, keyoff);
    append(leave, &leavelen, sizeof leave, leavetail);
    back->leavelen = 0;
    std::memcpy(back->leave, leave, leavelen);
    back->leavelen = leavelen;
}

void put(const char* bytes, std::size_t n) {
    writeall(outfd, bytes, n, 0);
}

// Marked as the game's before the bytes that take it go out, and written as a picture is: a stop
// lands as the write returns, and whoever gives the terminal back for the stopped game must find it
// the game's, or the screen stays taken.
void take() {
    back->syncing = 0; // whatever update was open ended with the give-back
    back->drawing = 1;
    __sync_synchronize();
    back->owned = nexttake(back);
    put(enter, enterlen);
    drawdone(back);
}

// Given back by another, the settings may still be due (the other could not set them).
void letgo() {
    if (claimterminal(back))
        giveterminal(back, infd, outfd);
    else
        settleterminal(back, infd);
}

void restore() {
    letgo();
    if (savedstderr >= 0)
        dup2(savedstderr, STDERR_FILENO);
}

// No terminal to ask (it is not our controlling one) counts as ours.
bool foreground() {
    const pid_t f = tcgetpgrp(infd);
    return f < 0 || f == getpgrp();
}

// Give the terminal back, then die of the signal as if no handler had been there.
void onfatal(int sig) {
    restore();
    sigdefault(sig);
}

// Continued, the next frame takes the terminal again if the game is in the foreground by then.
void onstop(int) {
    int e = errno;
    letgo();
    sigdefault(SIGTSTP);
    sighandle(SIGTSTP, onstop, SA_RESTART);
    resumed = 1;
    errno = e;
}

sig_atomic_t seconds() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<sig_atomic_t>(t.tv_sec);
}

// Asked to end: the game finishes at its next frame, keeping what it must. Hung up, nobody plays
// on: the terminal is given back at once, as its shell may be taking it back this moment (its
// guardian gone). Asked again well after that (the shell and the guardian may pass on one hang-up
// twice at once), the game is not getting there, and ends now.
void onleave(int sig) {
    if (!leaveby) {
        leftat = seconds();
        leaveby = sig;
        if (sig == SIGHUP) {
            const int e = errno;
            letgo();
            errno = e;
        }
    } else if (seconds() - leftat >= 2) {
        onfatal(sig);
    }
}

void oncontinue(int) {
    resumed = 1;
}

void onresize(int) {
    resized = 1;
}

void atexitrestore() {
    restore();
}

void blockall(sigset_t* old) {
    sigset_t all;
    sigfillset(&all);
    sigprocmask(SIG_BLOCK, &all, old);
}

bool always(int sig) {
    for (int s : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT})
        if (s == sig)
            return true;
    return false;
}

// The terminal to play in: standard input and output when both are one; the controlling terminal
// for whichever is not; without one (a new session), the terminal that one of them is.
bool findterminal() {
    const bool inok = isatty(STDIN_FILENO), outok = isatty(STDOUT_FILENO);
    infd = STDIN_FILENO;
    outfd = STDOUT_FILENO;
    if (inok && outok)
        return true;
    int fd = open("/dev/tty", O_RDWR | O_CLOEXEC | O_NOCTTY);
    if (fd < 0 && (inok || outok)) {
        const char* name = ttyname(inok ? STDIN_FILENO : STDOUT_FILENO);
        if (name)
            fd = open(name, O_RDWR | O_CLOEXEC | O_NOCTTY);
    }
    if (fd < 0)
        return false;
    infd = inok ? STDIN_FILENO : fd;
    outfd = outok ? STDOUT_FILENO : fd;
    return true;
}

} // namespace

int termin() {
    return infd;
}
int termout() {
    return outfd;
}
int termframes() {
    return framefd;
}
bool termdraw(const char* bytes, std::size_t n, int waitms) {
    return writeall(framefd, bytes, n, waitms, back);
}

bool termowned() {
    return back->owned;
}

bool terminalours(bool* again) {
    *again = false;
    if (!inuse)
        return false;
    sigset_t old;
    if (!foreground()) {
        blockall(&old);
        letgo();
        sigprocmask(SIG_SETMASK, &old, nullptr);
        // As any program that wants its terminal from the background: stopped until `fg`, so the
        // game and its guardian stop together. Where nothing can stop it, it waits unseen.
        raise(SIGTTOU);
        if (!foreground())
            return false;
    }
    // A stop that the game could not see (SIGSTOP) leaves the shell's settings behind.
    if (!takeresumed() && back->owned)
        return true;
    blockall(&old);
    back->unsettled = 0;
    if (back->havetermios)
        tcsetattr(infd, TCSANOW, &raw);
    if (!back->owned)
        take();
    sigprocmask(SIG_SETMASK, &old, nullptr);
    *again = true;
    return true;
}

bool takeresized() {
    if (!resized)
        return false;
    resized = 0;
    return true;
}
bool takeresumed() {
    if (!resumed)
        return false;
    resumed = 0;
    return true;
}

int leavesignal() {
    return leaveby;
}

void leaveas(int sig) {
    if (!leaveby)
        leaveby = sig;
}

void reportmodes(const char* on, const char* off) {
    sigset_t old;
    blockall(&old);
    std::strncpy(keyon, on, modesmax);
    std::strncpy(keyoff, off, modesmax);
    build();
    sigprocmask(SIG_SETMASK, &old, nullptr);
}

void syncopen(bool open) {
    back->syncing = open;
}

void takeover() {
    static bool found = false;
    if (!found && !(found = findterminal())) {
        const char line[] = "dropple: no terminal to play in\n";
        writeall(STDERR_FILENO, line, sizeof line - 1, 0);
        std::exit(1);
    }
    static bool once = false;
    termios now;
    const bool havetermios = tcgetattr(infd, &now) == 0;
    if (!once) {
        once = true;
        std::atexit(atexitrestore);
        if (havetermios)
            back = guardstart(infd, outfd);
    }
    back->saved = now;
    back->havetermios = havetermios;
    build();
    // The ways out a player meets (Ctrl-C, a hang-up, a crash) are always the game's own, even
    // over a sanitizer's handler; any other signal someone else already handles or ignores (a
    // profiler's clock) is left to them.
    sigemptyset(&taken);
    eachfatal([](int sig) {
        struct sigaction now {};
        if (always(sig) || (sigaction(sig, nullptr, &now) == 0 && !(now.sa_flags & SA_SIGINFO) &&
                            now.sa_handler == SIG_DFL)) {
            sighandle(sig, onfatal, 0);
            sigaddset(&taken, sig);
        }
    });
    for (int sig : {SIGINT, SIGTERM, SIGHUP})
        sighandle(sig, onleave, SA_RESTART);
    sighandle(SIGPIPE, SIG_IGN, 0);
    sighandle(SIGXFSZ, SIG_IGN, 0);
    sighandle(SIGTSTP, onstop, SA_RESTART);
    sighandle(SIGCONT, oncontinue, SA_RESTART);
    sighandle(SIGWINCH, onresize, SA_RESTART);

    if (havetermios) {
        raw = now;
        cfmakeraw(&raw);
        raw.c_cc[VMIN] = 1;
        raw.c_cc[VTIME] = 0;
        tcsetattr(infd, TCSAFLUSH, &raw);
    }
    inuse = true;
    take();
    // The picture goes out through a description of the terminal of its own that never blocks, so
    // a terminal that stops reading holds up no frame; the shell's own stays as it was.
    if (framefd < 0) {
        char path[32];
        std::snprintf(path, sizeof path, "/proc/self/fd/%d", outfd);
        framefd = open(path, O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (framefd < 0)
            framefd = outfd;
    }
    // Libraries that print to stderr would scribble over the picture.
    savedstderr = fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 3);
    int devnull = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (devnull >= 0) {
        dup2(devnull, STDERR_FILENO);
        close(devnull);
    }
}

void handback() {
    inuse = false;
    restore();
    eachfatal([](int sig) {
        if (sigismember(&taken, sig) == 1)
            sighandle(sig, SIG_DFL, 0);
    });
    sighandle(SIGPIPE, SIG_DFL, 0);
    sighandle(SIGXFSZ, SIG_DFL, 0);
    sighandle(SIGTSTP, SIG_DFL, 0);
    sighandle(SIGCONT, SIG_DFL, 0);
    sighandle(SIGWINCH, SIG_DFL, 0);
    if (savedstderr >= 0) {
        close(savedstderr);
        savedstderr = -1;
    }
}

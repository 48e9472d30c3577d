// The terminal's lifecycle: taking it over, and giving it back exactly as it was on every way out,
// including signals, where only async-signal-safe calls may run.
#include "console/platform/term_life.h"
#include "console/platform.h"
#include "console/platform/term.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {

int infd = 0;
int outfd = 1;
bool havetermios = false;
termios saved;
termios raw;
int savedstderr = -1;

volatile sig_atomic_t owned = 0;
volatile sig_atomic_t resized = 0;
volatile sig_atomic_t resumed = 0;

// Built before any handler can run, so the handlers only write them.
constexpr std::size_t modesmax = 128;
char keyon[modesmax + 1];
char keyoff[modesmax + 1];
char enter[256];
std::size_t enterlen = 0;
char leave[256];
std::size_t leavelen = 0;

// Alternate screen and hidden cursor.
constexpr char enterbase[] = "\x1b[?1049h\x1b[?25l";
// A frame cut short by a signal may leave an escape sequence open (CAN ends it) or the terminal
// holding back a synchronized update.
constexpr char leavehead[] = "\x18\x1b[?2026l";
constexpr char leavetail[] = "\x1b[0m\x1b[?25h\x1b[?1049l";

const int fatals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};

void append(char* buf, std::size_t* len, std::size_t cap, const char* s) {
    std::size_t n = std::strlen(s);
    if (*len + n > cap)
        return;
    std::memcpy(buf + *len, s, n);
    *len += n;
}

void build() {
    enterlen = leavelen = 0;
    append(enter, &enterlen, sizeof enter, enterbase);
    append(enter, &enterlen, sizeof enter, keyon);
    append(leave, &leavelen, sizeof leave, leavehead);
    append(leave, &leavelen, sizeof leave, keyoff);
    append(leave, &leavelen, sizeof leave, leavetail);
}

void put(const char* bytes, std::size_t n) {
    while (n > 0) {
        ssize_t w = write(outfd, bytes, n);
        if (w < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        bytes += w;
        n -= static_cast<std::size_t>(w);
    }
}

void restore() {
    if (!owned)
        return;
    owned = 0;
    put(leave, leavelen);
    if (havetermios)
        tcsetattr(infd, TCSANOW, &saved);
    if (savedstderr >= 0)
        dup2(savedstderr, STDERR_FILENO);
}

void unblock(int sig) {
    sigset_t s;
    sigemptyset(&s);
    sigaddset(&s, sig);
    sigprocmask(SIG_UNBLOCK, &s, nullptr);
}

void handle(int sig, void (*handler)(int), int flags) {
    struct sigaction sa {};
    sa.sa_handler = handler;
    sa.sa_flags = flags;
    sigemptyset(&sa.sa_mask);
    sigaction(sig, &sa, nullptr);
}

// Give the terminal back, then die of the signal as if no handler had been there.
void onfatal(int sig) {
    restore();
    handle(sig, SIG_DFL, 0);
    unblock(sig);
    raise(sig);
}

void onstop(int) {
    int e = errno;
    bool had = owned;
    if (had) {
        put(leave, leavelen);
        if (havetermios)
            tcsetattr(infd, TCSANOW, &saved);
    }
    handle(SIGTSTP, SIG_DFL, 0);
    unblock(SIGTSTP);
    raise(SIGTSTP);
    // Continued (fg): take the terminal again; the next frame boundary repaints it.
    handle(SIGTSTP, onstop, SA_RESTART);
    if (had) {
        if (havetermios)
            tcsetattr(infd, TCSANOW, &raw);
        put(enter, enterlen);
        resumed = 1;
    }
    errno = e;
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

} // namespace

// Kept when the input side has nothing to tell the player at the end.
__attribute__((weak)) void keysnote() {}

int termin() {
    return infd;
}
int termout() {
    return outfd;
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

void termkeymodes(const char* on, const char* off) {
    sigset_t old;
    blockall(&old);
    std::strncpy(keyon, on, modesmax);
    std::strncpy(keyoff, off, modesmax);
    build();
    sigprocmask(SIG_SETMASK, &old, nullptr);
}

void termopen() {
    static bool once = false;
    if (!once) {
        once = true;
        std::atexit(atexitrestore);
    }
    if (!isatty(STDOUT_FILENO)) {
        int fd = open("/dev/tty", O_WRONLY | O_CLOEXEC);
        if (fd >= 0)
            outfd = fd;
    }
    build();
    havetermios = tcgetattr(infd, &saved) == 0;
    for (int sig : fatals)
        handle(sig, onfatal, 0);
    handle(SIGTSTP, onstop, SA_RESTART);
    handle(SIGCONT, oncontinue, SA_RESTART);
    handle(SIGWINCH, onresize, SA_RESTART);

    if (havetermios) {
        raw = saved;
        cfmakeraw(&raw);
        raw.c_cc[VMIN] = 1;
        raw.c_cc[VTIME] = 0;
        tcsetattr(infd, TCSAFLUSH, &raw);
    }
    owned = 1;
    put(enter, enterlen);
    // Libraries that print to stderr would scribble over the picture.
    savedstderr = fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 3);
    int devnull = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (devnull >= 0) {
        dup2(devnull, STDERR_FILENO);
        close(devnull);
    }
    outputopen();
    keysopen();
}

void termclose() {
    keysclose();
    restore();
    for (int sig : fatals)
        handle(sig, SIG_DFL, 0);
    handle(SIGTSTP, SIG_DFL, 0);
    handle(SIGCONT, SIG_DFL, 0);
    handle(SIGWINCH, SIG_DFL, 0);
    if (savedstderr >= 0) {
        close(savedstderr);
        savedstderr = -1;
    }
    keysnote();
}

void termquit() {
    termclose();
    // Ends the way Ctrl-C ends any program, so a script that started the game stops too.
    handle(SIGINT, SIG_DFL, 0);
    unblock(SIGINT);
    raise(SIGINT);
    _exit(130);
}

void termsuspend() {
    // The whole foreground job stops, as if the terminal had sent the signal itself.
    kill(0, SIGTSTP);
}

// The terminal back end's top: the seam's display functions on a terminal. Everything below it
// (the lifecycle, the keyboard, the renderer, the write loop) is called from here and calls
// nothing back; what the keys ask for comes back here and is acted on here.
#include "console/platform/term/term.h"
#include "console/platform.h"
#include "console/platform/fixed.h"
#include "console/platform/term/guard.h"
#include "console/platform/term/input.h"
#include "console/platform/term/life.h"
#include "console/platform/term/output.h"
#include "console/platform/term/render.h"

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

bool hastruecolor() {
    const char* c = std::getenv("COLORTERM");
    return c != nullptr &&
           (std::strstr(c, "truecolor") != nullptr || std::strstr(c, "24bit") != nullptr);
}

void readsize(int* cols, int* rows) {
    winsize ws{};
    if (ioctl(termout(), TIOCGWINSZ, &ws) == 0 && ws.ws_col > 0 && ws.ws_row > 0) {
        *cols = ws.ws_col;
        *rows = ws.ws_row;
    } else {
        *cols = screencols;
        *rows = screenrows;
    }
}

// Runs `step` with the game's own signal handlers held off, so none of them sees it half done.
template <class F> void unbroken(F step) {
    sigset_t all, old;
    sigfillset(&all);
    sigprocmask(SIG_BLOCK, &all, &old);
    step();
    sigprocmask(SIG_SETMASK, &old, nullptr);
}

// One frame's bytes. While they go out, a way out that cuts them short knows to end the
// synchronized update they opened; the update's own end goes out together with clearing that, so
// a way out never ends an update twice.
void flush() {
    const std::string& bytes = renderframe();
    if (bytes.empty())
        return;
    const char* b = bytes.data();
    std::size_t n = bytes.size();
    if (!bytes.starts_with(syncon) || !bytes.ends_with(syncoff)) {
        writeall(termout(), b, n, true);
        return;
    }
    const std::size_t tail = sizeof syncoff - 1;
    unbroken([] { syncopen(true); });
    writeall(termout(), b, n - tail, true);
    unbroken([&] {
        writeall(termout(), b + n - tail, tail, true);
        syncopen(false);
    });
}

void termclose() {
    keysclose();
    handback();
    keysnote();
}

// Ends the way the signal ends any program, so whatever started the game sees it end that way.
[[noreturn]] void endas(int sig) {
    termclose();
    sigdefault(sig);
    _exit(128 + sig);
}

[[noreturn]] void termquit() {
    endas(SIGINT); // Ctrl-C: a script that started the game stops too
}

void act(keyaction a) {
    switch (a) {
    case wantquit:
        termquit();
    case wantsuspend:
        // The whole foreground job stops, as if the terminal had sent the signal itself; the
        // lifecycle gives the terminal back meanwhile and takes it again on return.
        kill(0, SIGTSTP);
        break;
    case lostterminal:
        endas(SIGHUP); // its input ended or failed: end as a hang-up does
    case noaction:
        break;
    }
}

void termopen() {
    takeover();
    int cols, rows;
    readsize(&cols, &rows);
    renderinit(hastruecolor(), cols, rows);
    act(keysopen(termin(), termout(), reportmodes, termquit));
}

bool termkeydown(unsigned char code) {
    return keysdown(code);
}

void termpresent(const cell* buffer, short left, short top, short right, short bottom) {
    renderput(buffer, left, top, right, bottom);
    flush();
}

void termpump() {
    act(keyspoll());
    const bool resized = takeresized();
    const bool resumed = takeresumed();
    if (resized) {
        int cols, rows;
        readsize(&cols, &rows);
        rendersize(cols, rows);
    }
    if (resumed) {
        keysreleaseall();
        renderinvalidate();
    }
    if (resized || resumed)
        flush();
}

} // namespace

const backend termbackend = {
    termopen,       termclose,      termkeydown, fixed::nothing, fixed::nothing, fixed::size,
    fixed::setsize, fixed::setarea, termpresent, renderpalette,  termpump,
};

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

// One write per frame. While it goes out, a way out that cuts it short knows to end the
// synchronized update it opened.
void flush() {
    const std::string& bytes = renderframe();
    if (bytes.empty())
        return;
    const bool sync = bytes.starts_with(syncon);
    if (sync)
        syncopen(true);
    writeall(termout(), bytes.data(), bytes.size(), true);
    if (sync)
        syncopen(false);
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

// The terminal back end's top: the seam's display functions on a terminal. Everything below it
// (the lifecycle, the keyboard, the renderer, the write loop) is called from here and calls
// nothing back; what the keys ask for comes back here and is acted on here.
#include "console/platform/term/term.h"
#include "console/platform.h"
#include "console/platform/term/guard.h"
#include "console/platform/term/input.h"
#include "console/platform/term/life.h"
#include "console/platform/term/output.h"
#include "console/platform/term/render.h"

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <poll.h>
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

// How long a frame may wait for a terminal that is slow to take it.
constexpr int framewaitms = 12;
// A frame that the terminal would not take in time was cut short: what it shows is unknown, and
// an escape sequence or a synchronized update may be left open.
bool cut = false, cutsync = false;

// One write per frame. While it goes out, a way out that cuts it short knows to end the
// synchronized update it opened.
void flush() {
    if (cut) {
        // Nothing more is drawn until the terminal has room again, then everything is.
        pollfd p{termframes(), POLLOUT, 0};
        if (poll(&p, 1, 0) <= 0 || !(p.revents & POLLOUT))
            return;
        const std::string mend = std::string("\x18") + (cutsync ? syncoff : "");
        if (!writeall(termframes(), mend.data(), mend.size(), 0))
            return;
        cut = false;
        syncopen(false);
        renderinvalidate();
    }
    const std::string& bytes = renderframe();
    if (bytes.empty())
        return;
    const bool sync = bytes.starts_with(syncon);
    if (sync)
        syncopen(true);
    cut = !writeall(termframes(), bytes.data(), bytes.size(), framewaitms);
    cutsync = cut && sync;
    if (sync && !cut)
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

// The terminal is whatever size the player gives it; the game's 80 by 25 sits in its middle.
void termnothing() {}
bool termconsolesize(short* cols, short* rows) {
    *cols = screencols;
    *rows = screenrows;
    return true;
}
bool termsetbuffersize(short, short) {
    return true;
}
bool termsetwindow(short, short, short, short) {
    return true;
}

void termpresent(const cell* buffer, short left, short top, short right, short bottom) {
    renderput(buffer, left, top, right, bottom);
    if (termowned())
        flush();
}

void termpump() {
    bool again = false;
    const bool ours = terminalours(&again);
    if (ours) // from the background, reading would only stop the game again
        act(keyspoll());
    const bool resized = takeresized();
    if (resized) {
        int cols, rows;
        readsize(&cols, &rows);
        rendersize(cols, rows);
    }
    if (again) {
        keysreleaseall();
        renderinvalidate();
    }
    if (ours && (resized || again || cut))
        flush();
}

} // namespace

const backend termbackend = {
    termopen,          termclose,     termkeydown, termnothing,   termnothing, termconsolesize,
    termsetbuffersize, termsetwindow, termpresent, renderpalette, termpump,
};

// The terminal back end's top: the seam's display functions on a terminal. Everything below it
// (the lifecycle, the keyboard, the renderer, the write loop) is called from here and calls
// nothing back; what the keys ask for comes back here and is acted on here.
#include "platform/term/term.h"
#include "platform/fixed.h"
#include "platform/platform.h"
#include "platform/term/guard.h"
#include "platform/term/input.h"
#include "platform/term/life.h"
#include "platform/term/output.h"
#include "platform/term/render.h"
#include "platform/term/terminfo.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
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
// an escape sequence or a synchronized update (`cutsync`) may be left open.
bool cut = false, cutsync = false;

// Runs `step` with the game's own signal handlers held off, so none of them sees it half done.
template <class F> void unbroken(F step) {
    sigset_t all, old;
    sigfillset(&all);
    sigprocmask(SIG_BLOCK, &all, &old);
    step();
    sigprocmask(SIG_SETMASK, &old, nullptr);
}

// Once a terminal that stopped reading has room again: whatever the cut frame left open is ended,
// and the next frame draws everything.
bool mended() {
    pollfd p{termframes(), POLLOUT, 0};
    if (poll(&p, 1, 0) <= 0 || !(p.revents & POLLOUT))
        return false;
    unbroken([] {
        const std::string mend = std::string("\x18") + (cutsync ? syncoff : "");
        if (termdraw(mend.data(), mend.size(), 0)) {
            cut = cutsync = false;
            syncopen(false);
        }
    });
    if (!cut)
        renderinvalidate();
    return !cut;
}

// One frame's bytes, each waiting for the terminal no longer than a frame may. While they go out,
// a way out that cuts them short knows to end the synchronized update they opened; the update's
// own end goes out together with clearing that, so a way out never ends an update twice.
void flush() {
    if (cut && !mended())
        return;
    const std::string& bytes = renderframe();
    if (bytes.empty())
        return;
    const char* b = bytes.data();
    std::size_t n = bytes.size();
    // A frame cut short by the terminal given back (by a way out, or by the guardian or the minder
    // while the game could not act) is not cut by a stalled terminal: the give-back ended whatever
    // it left open, and a game that takes the terminal again draws it whole.
    if (!bytes.starts_with(syncon) || !bytes.ends_with(syncoff)) {
        cut = !termdraw(b, n, framewaitms) && termowned();
        return;
    }
    const std::size_t tail = sizeof syncoff - 1;
    unbroken([] { syncopen(true); });
    cut = cutsync = !termdraw(b, n - tail, framewaitms);
    unbroken([&] {
        // Given back, the one who gave it back ended the update; it is left marked open until the
        // game takes the terminal again, as that one may not have looked yet.
        if (!termowned()) {
            cut = cutsync = false;
            return;
        }
        if (cut)
            return;
        if (termdraw(b + n - tail, tail, framewaitms))
            syncopen(false);
        else if (termowned())
            cut = cutsync = true;
    });
}

// Ends the way the signal ends any program, so whatever started the game sees it end that way
// (Ctrl-C: a script that started the game stops too).
[[noreturn]] void endas(int sig) {
    sigdefault(sig);
    _exit(128 + sig);
}

// At the program's end, once the game has said its last lines.
void endasleft() {
    std::fflush(nullptr);
    endas(leavesignal());
}

// Left from the background (the game's shell has the terminal again, its guardian gone), the game
// says nothing there: its lines would land in the middle of the shell's prompt.
void hushbehind() {
    const pid_t front = tcgetpgrp(termin());
    if (front < 0 || front == getpgrp() || !isatty(STDERR_FILENO))
        return;
    const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (null >= 0) {
        dup2(null, STDERR_FILENO);
        close(null);
    }
}

void termclose() {
    keysclose();
    handback();
    if (leavesignal())
        hushbehind();
    keysnote();
    static bool once = false;
    if (leavesignal() && !once) {
        once = true;
        std::atexit(endasleft);
    }
}

// The X display that told the keys went away: Xlib ends the program when its handler returns, so
// there is no frame left to finish the game in.
[[noreturn]] void termquit() {
    termclose();
    endas(SIGINT);
}

void act(keyaction a) {
    switch (a) {
    case wantquit:
        leaveas(SIGINT);
        break;
    case wantsuspend:
        // The whole foreground job stops, as if the terminal had sent the signal itself; the
        // lifecycle gives the terminal back meanwhile and takes it again on return.
        kill(0, SIGTSTP);
        break;
    case lostterminal:
        leaveas(SIGHUP); // its input ended or failed: end as a hang-up does
        break;
    case noaction:
        break;
    }
}

// A terminal that cannot show the game is told so before anything is written to it.
void refuseundrawable() {
    const std::string why = undrawable(std::getenv("TERM"));
    if (why.empty())
        return;
    const std::string line =
        "dropple: " + why + (canshow(display::window) ? "; try dropple --window\n" : ".\n");
    writeall(STDERR_FILENO, line.data(), line.size(), 0);
    std::exit(1);
}

void termopen() {
    refuseundrawable();
    takeover();
    int cols, rows;
    readsize(&cols, &rows);
    renderinit(hastruecolor(), cols, rows);
    act(keysopen(termin(), termout(), reportmodes, termquit));
}

bool termkeydown(unsigned char code) {
    return keysdown(code);
}

bool termkeyseen(unsigned char code) {
    return keysseen(code);
}

void termpresent(const cell* buffer, short left, short top, short right, short bottom) {
    renderput(buffer, left, top, right, bottom);
    if (termowned())
        flush();
}

void termpump(std::uint64_t due) {
    // On the way out nothing more is read, nor the terminal taken back from the background.
    if (leavesignal())
        return;
    bool again = false;
    const bool ours = terminalours(&again);
    // Keys are timed when they are read: one the terminal sent during a stall reaches the first
    // frame of its own time, not the frames that catch up first. From the background, reading
    // would only stop the game again.
    if (ours)
        act(keyspoll(ticks(), due));
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
    // Stopped within this frame (Ctrl-Z), the game has not taken the terminal back yet: the next
    // frame does, and draws then.
    if (ours && termowned() && (resized || again || cut))
        flush();
}

bool termleaving() {
    return leavesignal() != 0;
}

} // namespace

const backend termbackend = {
    .open = termopen,
    .close = termclose,
    .keydown = termkeydown,
    .usecodepage437 = fixed::nothing,
    .hidecursor = fixed::nothing,
    .consolesize = fixed::size,
    .setbuffersize = fixed::setsize,
    .setwindow = fixed::setarea,
    .present = termpresent,
    .setpalette = renderpalette,
    .pump = termpump,
    .keyseen = termkeyseen,
    .leaving = termleaving,
};

// The keyboard of the terminal back end: asks the terminal what it can report, picks the best
// source of key state, and reads whatever input is waiting once per frame.
#include "platform/term/input.h"
#include "platform/term/keys.h"
#include "platform/term/output.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <poll.h>
#include <unistd.h>

namespace {

// Focus reports, mouse buttons in the SGR form, and keys with modifiers reported as such (Shift+
// Return is not a plain Return), which xterm and tmux give where the keyboard protocol is not; the
// undo puts that back to the terminal's own setting. The keyboard protocol's flags replace the
// modifier reports, pushed last and popped first.
constexpr char reportson[] = "\x1b[?1004h\x1b[?1000h\x1b[?1006h\x1b[>4;2m";
constexpr char reportsoff[] = "\x1b[>4m\x1b[?1006l\x1b[?1000l\x1b[?1004l";
constexpr char pushflags[] = "\x1b[>4m\x1b[>11u";
constexpr char withflags[] = "\x1b[?1004h\x1b[?1000h\x1b[?1006h\x1b[>11u";
constexpr char withpop[] = "\x1b[<u\x1b[?1006l\x1b[?1000l\x1b[?1004l";

// Start-up waits this long at most for the terminal's answers; a terminal that answers later is
// still heard.
constexpr std::uint64_t probems = 150;

int infd = -1, outfd = -1;
modesfn modes = nullptr;
void (*displaylost)() = nullptr;
termparser parser;
keystate state;
std::vector<keyevent> events;
std::vector<keyevent> devevents;
bool opened = false;
bool asking = false; // the start-up questions are out and not all answered
bool closedinput = false;
bool xon = false, devon = false;
std::uint64_t lastbyte = 0;
std::uint64_t askedat = 0;
// A terminal that has not answered by now never will: from then on an escape and a string's first
// letter are a key typed with Alt.
constexpr std::uint64_t answerms = 2000;

std::uint64_t nowms() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<std::uint64_t>(t.tv_sec) * 1000u +
           static_cast<std::uint64_t>(t.tv_nsec) / 1000000u;
}

void say(const char* text) {
    writeall(outfd, text, std::strlen(text), -1);
}

// Reads what is waiting, for at most `waitms`; false when nothing came.
bool take(int waitms) {
    if (closedinput)
        return false;
    bool got = false;
    unsigned char buf[4096];
    // A bounded number of reads, so a flood of input cannot hold up a frame.
    for (int k = 0; k < 16; k++) {
        pollfd pfd{infd, POLLIN, 0};
        if (poll(&pfd, 1, got ? 0 : waitms) <= 0 ||
            !(pfd.revents & (POLLIN | POLLHUP | POLLERR | POLLNVAL)))
            break;
        ssize_t n = read(infd, buf, sizeof buf);
        if (n <= 0) {
            // A raw terminal never reads as ended: it has hung up, or is no longer ours.
            closedinput = n == 0 || (errno != EAGAIN && errno != EINTR);
            break;
        }
        parse(parser, buf, static_cast<std::size_t>(n), events);
        got = true;
    }
    return got;
}

void protocolon() {
    say(pushflags);
    parser.protocol = true;
    if (xon)
        xclose();
    if (devon)
        devclose();
    xon = devon = false;
    keyclear(state);
    state.source = fromprotocol;
    modes(withflags, withpop);
}

// The best source there is when the terminal itself does not report releases.
void pickoutside() {
    if (std::getenv("DISPLAY") && xopen(displaylost)) {
        xon = true;
        state.source = fromx;
    } else if (!std::getenv("SSH_CONNECTION") && !std::getenv("SSH_TTY") && devopen()) {
        // Only on the machine itself: over ssh the devices belong to someone else's keyboard.
        devon = true;
        state.source = fromdevices;
    } else {
        state.source = fromrepeat;
    }
}

// A Ctrl-Z among the keys is acted on once all of them are in; a Ctrl-C at once.
keyaction handle(std::uint64_t ms) {
    keyaction wanted = noaction;
    for (std::size_t i = 0; i < events.size(); i++) {
        const keyevent e = events[i];
        switch (e.kind) {
        case evflags:
            if (asking && state.source != fromprotocol)
                protocolon();
            break;
        case evattrs:
            asking = false;
            break;
        default:
            if (const keyaction a = keyapply(state, e, ms); a == wantquit) {
                events.clear();
                return a;
            } else if (a != noaction) {
                wanted = a;
            }
            break;
        }
    }
    events.clear();
    if (state.fellback) {
        if (xon)
            xclose();
        if (devon)
            devclose();
        xon = devon = false;
    }
    return wanted;
}

void lookoutside(std::uint64_t ms) {
    if (!xon && !devon)
        return;
    bool down[256] = {};
    if (xon) {
        xread(down);
    } else {
        devevents.clear();
        devread(down, devevents);
        for (const keyevent& e : devevents)
            keydevice(state, e.code, e.kind == evpress, e.at);
    }
    keyoutside(state, down, ms);
}

} // namespace

keyaction keysopen(int in, int out, modesfn reported, void (*lostdisplay)()) {
    infd = in;
    outfd = out;
    modes = reported;
    displaylost = lostdisplay;
    parser = termparser{};
    state = keystate{};
    events.clear();
    closedinput = false;
    opened = true;
    asking = true;
    parser.awaiting = true;
    askedat = nowms();
    say(reportson);
    modes(reportson, reportsoff);
    // The keyboard protocol answers its question before the device attributes answer theirs;
    // every terminal answers the latter, so once it is in there is nothing more to wait for.
    say("\x1b[?u\x1b[c");
    const std::uint64_t start = nowms();
    std::vector<keyevent> early;
    for (;;) {
        const std::uint64_t now = nowms();
        if (!asking || now - start >= probems || closedinput)
            break;
        take(static_cast<int>(probems - (now - start)));
        for (const keyevent& e : events) {
            if (e.kind == evflags && state.source != fromprotocol)
                protocolon();
            else if (e.kind == evattrs)
                asking = false;
            else
                early.push_back(e);
        }
        events.clear();
    }
    if (state.source != fromprotocol)
        pickoutside();
    events = early;
    return handle(nowms());
}

void keysclose() {
    if (!opened)
        return;
    opened = false;
    if (xon)
        xclose();
    if (devon)
        devclose();
    xon = devon = false;
}

keyaction keyspoll(std::uint64_t now, std::uint64_t due) {
    if (!opened)
        return noaction;
    if (closedinput)
        return lostterminal;
    const std::uint64_t ms = nowms();
    state.at = now;
    if (ms - askedat >= answerms)
        parser.awaiting = false;
    keytick(state, ms);
    lookoutside(ms);
    if (take(0)) {
        lastbyte = ms;
    } else if (parsepending(parser)) {
        // A lone escape that nothing follows is the Escape key; a sequence cut off for long is
        // dropped rather than read as keys.
        if (ms - lastbyte >= (parselone(parser) ? 30u : 300u))
            parseflush(parser, events);
    }
    const keyaction a = handle(ms);
    keystep(state, due);
    return a;
}

bool keysdown(unsigned char code) {
    return keyisdown(state, code);
}

bool keysseen(unsigned char code) {
    return keyvisible(state, code);
}

void keysreleaseall() {
    keyclear(state);
}

void keysnote() {
    if (state.source != fromrepeat || !state.guessed || !isatty(infd))
        return;
    auto tell = [](const char* text) { writeall(STDERR_FILENO, text, std::strlen(text), 0); };
    // Every line fits the 80 columns of the smallest terminal the game plays in.
    const char* line = state.fellback
                           ? "dropple: held keys were guessed from the terminal's key repeat (the "
                             "key map of\n         this display did not see the keyboard).\n"
                           : "dropple: this terminal does not report key releases: held keys were "
                             "guessed\n         from its key repeat.\n";
    tell(line);
    // A desktop is there: the game's own window reads held keys exactly.
    const char* x = std::getenv("DISPLAY");
    const char* wl = std::getenv("WAYLAND_DISPLAY");
    if ((x && *x) || (wl && *wl))
        tell("dropple: for exact held keys, play in a window: dropple --window\n");
}

keysource keysfrom() {
    return state.source;
}

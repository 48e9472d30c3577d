// Key state: the rules, with time given in milliseconds; and the keyboard as a whole against a
// pseudo-terminal that speaks the keyboard protocol, one that does not, and one that answers
// nothing at all (so keys are taps, and held keys are guessed from key repeat).
#include "platform/term/input.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <regex>
#include <string>
#include <termios.h>
#include <thread>
#include <tuple>
#include <unistd.h>

namespace {

std::string modeson, modesoff;

TEST(TermKeys, GuessesFromKeyRepeatNeverStick) {
    // Frames 16 ms apart, with Left tapped in each frame marked 't': '#' for each frame that sees
    // the key down, '.' for each that sees it up. A fresh tap is one frame, also 2 s after the
    // last; quick taps (200 ms apart) stay separate presses, each too short for a delayed auto
    // shift (7 frames).
    const std::string taps = ".t............t............t" + std::string(124, '.') + "t..";
    keystate r;
    std::string seen;
    for (std::uint64_t f = 0; f < taps.size(); f++) {
        keytick(r, 16 * f);
        if (taps[f] == 't')
            keyapply(r, {evtap, 0x25, 0}, 16 * f);
        keystep(r);
        seen += keyisdown(r, 0x25) ? '#' : '.';
    }
    EXPECT_TRUE(std::regex_match(seen, std::regex("\\.#(\\.+#{1,4}){2}\\.+#\\.+"))) << seen;
    // A flood of shifted, controlled taps leaves nothing down once it stops.
    keystate s;
    for (std::uint64_t t : {0, 1, 2, 40, 41, 500, 530, 560, 561})
        for (unsigned char code : {0x25, 0x26, 0x58})
            keyapply(s, {evtap, code, modshift | modctrl | modalt}, t);
    keystep(s);
    for (unsigned char k : {0x10, 0xA0, 0x11, 0xA2, 0x12, 0xA4, 0x58}) // left modifiers guessed
        EXPECT_TRUE(keyisdown(s, k)) << int(k);
    keytick(s, 2000);
    keystep(s);
    for (int k = 0; k < 256; k++)
        EXPECT_FALSE(keyisdown(s, static_cast<unsigned char>(k))) << k;
    // Ctrl-C and Ctrl-Z are the program's: nothing is guessed of them, so a run that saw no other
    // key has no guessed keys to tell of.
    keystate q;
    EXPECT_EQ(keyapply(q, {evtap, 'C', modctrl}, 0), wantquit);
    EXPECT_EQ(keyapply(q, {evtap, 'Z', modctrl}, 0), wantsuspend);
    keystep(q);
    EXPECT_FALSE(q.guessed || keyisdown(q, 'C') || keyisdown(q, 0x11));
    EXPECT_TRUE(s.guessed);
}

// Guessing from key repeat sees only what the terminal sends as a key of its own: never a modifier
// or a lock key alone. Every other source sees every key.
TEST(TermKeys, WithoutReleasesNoModifierOrLockKeyIsSeenAlone) {
    keystate s;
    std::string seen;
    for (int k : {0x10, 0xA0, 0xA1, 0x11, 0xA3, 0xA4, 0x14, 0x90, 0x5B, 0x13, 0x43, 0x56,
                  0x41, 0x0D, 0x25, 0x20, 0x1B, 0x08, 0x70, 0x7B, 0x2E, 0x01, 0xBA})
        seen += keyvisible(s, static_cast<unsigned char>(k)) ? '#' : '.';
    EXPECT_EQ(seen, "..........#############");
    s.source = fromprotocol;
    EXPECT_TRUE(keyvisible(s, 0xA0) && keyvisible(s, 0x14));
}

// Presses and releases from the input devices reach the frames one at a time; a device that lost
// some has its key map mend them; while the terminal has no focus its keys do not count.
TEST(TermKeys, DeviceTransitionsQueueAndTheKeyMapMendsLostOnes) {
    keystate s;
    s.source = fromdevices;
    for (bool d : {true, false, true, false})
        keydevice(s, 0x25, d);
    bool map[256] = {};
    std::string seen;
    // What the key map shows of Left each frame: a press the devices lost; then, with the focus
    // gone, a press they tell.
    for (char shown : std::string(".....##.#")) {
        if (seen.size() == 8) {
            keyapply(s, {evfocusout, 0, 0}, 0);
            keydevice(s, 0x25, true);
        }
        map[0x25] = shown == '#';
        keyoutside(s, map, 0);
        keystep(s);
        seen += keyisdown(s, 0x25) ? '#' : '.';
    }
    EXPECT_EQ(seen, "#.#..##..");
}

// A pseudo-terminal in place of the player's, for the life of the object, that answers the
// start-up questions with `answers`.
struct faketerminal {
    int master = -1, slave = -1;

    explicit faketerminal(const char* answers) {
        // The outside sources of the machine running the tests have no place here.
        unsetenv("DISPLAY");
        setenv("SSH_TTY", "test", 1);
        termios t{};
        cfmakeraw(&t);
        openpty(&master, &slave, nullptr, &t, nullptr);
        (void)!write(master, answers, std::strlen(answers));
        keysopen(slave, slave, reported, [] {});
    }
    ~faketerminal() { keysclose(), close(slave), close(master); }
    static void reported(const char* on, const char* off) { modeson = on, modesoff = off; }
    // Everything the program wrote to the terminal so far.
    std::string heard() const {
        std::string s;
        char buf[4096];
        pollfd p{master, POLLIN, 0};
        for (ssize_t n; poll(&p, 1, 50) > 0 && (n = read(master, buf, sizeof buf)) > 0;)
            s.append(buf, static_cast<std::size_t>(n));
        return s;
    }
    // Sends `bytes` after `quiet` milliseconds and takes in what came, as a frame does.
    keyaction frame(const std::string& bytes, int quiet = 0) const {
        std::this_thread::sleep_for(std::chrono::milliseconds(quiet));
        (void)!write(master, bytes.data(), bytes.size());
        pollfd p{slave, POLLIN, 0};
        poll(&p, 1, bytes.empty() ? 0 : 100);
        return keyspoll(0, 0);
    }
};

// A terminal that answers the protocol's question before the device attributes reports presses
// and releases; a protocol answer after the attributes answers no question of ours; a silent
// terminal neither stalls start-up nor is lost when it answers late.
TEST(TermProbe, TheProtocolAnswerCountsOnlyBeforeTheAttributes) {
    const std::tuple<const char*, const char*, const char*, keysource> cases[] = {
        {"the protocol at once", "\x1b[?0u\x1b[?62;c", "", fromprotocol},
        {"the attributes only", "\x1b[?64;1;2;6;9;15;18;21;22c", "\x1b[?0u", fromrepeat},
        {"silent at first", "", "\x1b[?0u\x1b[?62;c", fromprotocol}};
    for (auto [what, answers, late, source] : cases) {
        SCOPED_TRACE(what);
        faketerminal t(answers);
        EXPECT_EQ(keysfrom(), *late ? fromrepeat : source);
        t.frame(late);
        EXPECT_EQ(keysfrom(), source);
        const bool pushed = source == fromprotocol;
        const std::string heard = t.heard();
        EXPECT_NE(heard.find("\x1b[?u\x1b[c"), std::string::npos) << "the questions";
        // Pushed after the other reports, popped before them, on every way out; the modifier
        // reports are asked for where the protocol is not, and undone on every way out.
        EXPECT_EQ(modeson, "\x1b[?1004h\x1b[?1000h\x1b[?1006h" +
                               std::string(pushed ? "\x1b[>11u" : "\x1b[>4;2m"));
        EXPECT_EQ(modesoff, (pushed ? "\x1b[<u" : "\x1b[>4m") +
                                std::string("\x1b[?1006l\x1b[?1000l\x1b[?1004l"));
        EXPECT_EQ(heard.find("\x1b[>4m\x1b[>11u") != std::string::npos, pushed)
            << "the modifier reports undone before the protocol's flags";
        if (!pushed)
            continue;
        t.frame("\x1b[57441u\x1b[57447u\x1b[D\x1b[57441;2:3u\x1b[1;2:3");
        EXPECT_TRUE(keysdown(0xA0)) << "a tap between two frames is seen by one";
        t.frame("D\x1b[1;2:3D"); // a release cut across reads, and said twice
        EXPECT_TRUE(keysdown(0x10) && keysdown(0xA1) && !keysdown(0xA0) && !keysdown(0x25));
        t.frame("\x1b[O");
        EXPECT_FALSE(keysdown(0x10) || keysdown(0xA1));
        EXPECT_EQ(t.frame("\x1b[99;5u"), wantquit);
        keysclose();
        EXPECT_EQ(t.heard(), "") << "the way out is the lifecycle's, so the flags pop only once";
    }
}

// Without the protocol, how long the input waits after a lone Escape before taking it for the
// Escape key (30 ms), and after a sequence cut short before dropping it (300 ms).
TEST(TermInput, ALoneEscapeWaits30MillisecondsACutSequence300) {
    faketerminal t("");
    const std::tuple<const char*, int, const char*, unsigned char> cases[] = {
        {"\x1b", 0, "[D", 0x25},       // the rest soon: Left
        {"\x1b", 60, "", 0x1B},        // nothing more: the Escape key
        {"\x1b[1;5", 150, "D", 0x25},  // the rest late, but not too late: Ctrl-Left
        {"\x1b[1;5", 400, "d", 0x44}}; // too late: dropped, and "d" is a key of its own
    for (auto [first, quiet, rest, key] : cases) {
        SCOPED_TRACE(testing::Message() << "after " << quiet << " ms");
        t.frame(first);
        t.frame("", quiet);
        if (*rest)
            t.frame(rest);
        EXPECT_TRUE(keysdown(key));
        EXPECT_EQ(keysdown(0x1B), key == 0x1B);
        keysreleaseall();
    }
}

} // namespace

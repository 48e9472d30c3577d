// Start-up of the keyboard against a pseudo-terminal that plays the part of a real terminal: one
// that speaks the keyboard protocol, one that does not, and one that answers nothing at all.
#include "console/platform/term.h"
#include "console/platform/term_keys.h"

#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <string>
#include <termios.h>
#include <unistd.h>

// The lifecycle side, played by the test.
int quits = 0, suspends = 0;
int terminal = -1;
std::string modeson, modesoff;
void termquit() {
    quits++;
}
void termsuspend() {
    suspends++;
}
int termin() {
    return terminal;
}
void termwrite(const char* bytes, std::size_t n) {
    ssize_t w = write(terminal, bytes, n);
    (void)w;
}
void termkeymodes(const char* on, const char* off) {
    modeson = on;
    modesoff = off;
}

namespace {

// A pseudo-terminal in place of the player's terminal for the life of the object.
struct faketerminal {
    int master = -1, slave = -1;
    std::string display;

    explicit faketerminal(const char* answers) {
        quits = suspends = 0;
        if (const char* d = std::getenv("DISPLAY"))
            display = d;
        // The outside sources of the machine running the tests have no place here.
        unsetenv("DISPLAY");
        setenv("SSH_TTY", "test", 1);
        openpty(&master, &slave, nullptr, nullptr, nullptr);
        termios t;
        tcgetattr(slave, &t);
        cfmakeraw(&t);
        tcsetattr(slave, TCSANOW, &t);
        send(answers);
        terminal = slave;
        modeson.clear();
        modesoff.clear();
    }
    ~faketerminal() {
        terminal = -1;
        close(slave);
        close(master);
        unsetenv("SSH_TTY");
        if (!display.empty())
            setenv("DISPLAY", display.c_str(), 1);
    }
    void send(const std::string& bytes) const {
        ssize_t w = write(master, bytes.data(), bytes.size());
        (void)w;
    }
    // Everything the program wrote to the terminal so far.
    std::string heard() const {
        std::string s;
        char buf[4096];
        pollfd p{master, POLLIN, 0};
        while (poll(&p, 1, 50) > 0) {
            ssize_t n = read(master, buf, sizeof buf);
            if (n <= 0)
                break;
            s.append(buf, static_cast<std::size_t>(n));
        }
        return s;
    }
    // Lets the bytes just sent arrive, then takes them in as a frame would.
    void frame() const {
        pollfd p{slave, POLLIN, 0};
        poll(&p, 1, 100);
        keyspoll();
    }
};

TEST(TermProbe, TerminalWithTheKeyboardProtocol) {
    faketerminal t("\x1b[?0u\x1b[?62;c");
    keysopen();
    EXPECT_EQ(keysfrom(), fromprotocol);
    const std::string asked = t.heard();
    EXPECT_NE(asked.find("\x1b[?u\x1b[c"), std::string::npos);
    EXPECT_NE(asked.find("\x1b[>11u"), std::string::npos);
    // Pushed after the other reports, popped before them, on every way out.
    EXPECT_EQ(modeson, "\x1b[?1004h\x1b[?1000h\x1b[?1006h\x1b[>11u");
    EXPECT_EQ(modesoff, "\x1b[<u\x1b[?1006l\x1b[?1000l\x1b[?1004l");

    t.send("\x1b[57441u\x1b[D");
    t.frame();
    EXPECT_TRUE(keysdown(0x10));
    EXPECT_TRUE(keysdown(0xA0));
    EXPECT_TRUE(keysdown(0x25));
    t.send("\x1b[1;2:3");
    t.frame();
    t.send("D");
    t.frame();
    EXPECT_FALSE(keysdown(0x25));
    EXPECT_TRUE(keysdown(0xA0));
    t.send("\x1b[O");
    t.frame();
    EXPECT_FALSE(keysdown(0xA0));

    t.send("\x1b[99;5u");
    t.frame();
    EXPECT_EQ(quits, 1);

    keysclose();
    EXPECT_EQ(t.heard(), "") << "the way out is the lifecycle's, so the flags pop only once";
}

TEST(TermProbe, TerminalWithoutTheProtocolNeverGetsItsFlags) {
    faketerminal t("\x1b[?64;1;2;6;9;15;18;21;22c");
    keysopen();
    EXPECT_EQ(keysfrom(), fromrepeat);
    EXPECT_EQ(t.heard().find("\x1b[>"), std::string::npos);
    // An answer after the last one is no answer to our question.
    t.send("\x1b[?0u");
    t.frame();
    EXPECT_EQ(keysfrom(), fromrepeat);
    EXPECT_EQ(modesoff.find("\x1b[<u"), std::string::npos);

    // Ctrl-C and Ctrl-Z arrive as bytes in raw mode.
    t.send("\x03");
    t.frame();
    EXPECT_EQ(quits, 1);
    t.send("\x1a");
    t.frame();
    EXPECT_EQ(suspends, 1);

    t.send("x");
    t.frame();
    EXPECT_TRUE(keysdown('X'));
    keysclose();
}

TEST(TermProbe, SilentTerminalIsHeardWhenItAnswersLate) {
    faketerminal t("");
    keysopen();
    EXPECT_EQ(keysfrom(), fromrepeat);
    t.send("\x1b[?0u\x1b[?62;c");
    t.frame();
    EXPECT_EQ(keysfrom(), fromprotocol);
    EXPECT_NE(t.heard().find("\x1b[>11u"), std::string::npos);
    EXPECT_EQ(modesoff.substr(0, 4), "\x1b[<u");
    keysclose();
}

TEST(TermProbe, KeysTypedDuringStartUpAreNotLost) {
    faketerminal t("\x1b[?0u\x03\x1b[?62;c");
    keysopen();
    EXPECT_EQ(quits, 1);
    keysclose();
}

} // namespace

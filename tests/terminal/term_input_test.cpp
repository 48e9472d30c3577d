// The terminal's keyboard input as a whole, against a pseudo-terminal that answers none of its
// questions (so keys are taps, and held keys are guessed from key repeat): how long it waits after
// a lone Escape before taking it for the Escape key, and after a sequence cut short before dropping
// it.
#include "console/platform/term/input.h"

#include <chrono>
#include <cstdint>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <string>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {

int terminal = -1;

// Sends `bytes` after `ms` milliseconds of quiet, then takes in what came, as a frame does.
void frame(int master, int ms, const std::string& bytes = "") {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    (void)!write(master, bytes.data(), bytes.size());
    pollfd p{terminal, POLLIN, 0};
    poll(&p, 1, bytes.empty() ? 0 : 100);
    keyspoll(0, UINT64_MAX);
}

TEST(TermInput, ALoneEscapeWaits30MillisecondsACutSequence300) {
    unsetenv("DISPLAY");
    setenv("SSH_TTY", "test", 1); // the machine's own keyboard has no place here
    termios t{};
    cfmakeraw(&t);
    int master = -1;
    ASSERT_EQ(openpty(&master, &terminal, nullptr, &t, nullptr), 0);
    keysopen(
        terminal, terminal, [](const char*, const char*) {}, [] {});
    ASSERT_EQ(keysfrom(), fromrepeat);
    const std::tuple<const char*, int, const char*, unsigned char> cases[] = {
        {"\x1b", 0, "[D", 0x25},       // the rest soon: Left
        {"\x1b", 60, "", 0x1B},        // nothing more: the Escape key
        {"\x1b[1;5", 150, "D", 0x25},  // the rest late, but not too late: Ctrl-Left
        {"\x1b[1;5", 400, "d", 0x44}}; // too late: dropped, and "d" is a key of its own
    for (auto [first, quiet, rest, key] : cases) {
        SCOPED_TRACE(testing::Message() << "after " << quiet << " ms");
        frame(master, 0, first);
        frame(master, quiet);
        if (*rest)
            frame(master, 0, rest);
        EXPECT_TRUE(keysdown(key));
        EXPECT_EQ(keysdown(0x1B), key == 0x1B);
        for (int i = 0; i < 30; i++) // until the guessed keys are up again
            frame(master, 16);
    }
    keysclose();
    close(master), close(terminal);
}

} // namespace

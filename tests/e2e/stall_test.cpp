// A game frozen from outside for about 130 ms, as a busy machine may freeze it, while keys arrive
// through a terminal that reports releases: two taps both act once it runs again, and a tap begun
// in the freeze and let go just after it acts once, though the frames that catch up run before
// its release is heard. The freeze is a debugger's stop, which the game cannot see; a stop signal
// would look like Ctrl-Z and `fg` to it.
#include "ptyrun.h"

#include <gtest/gtest.h>

#include <sys/ptrace.h>
#include <thread>

namespace {

// The stand-in's report: "name: number" lines.
long status(const std::string& path, const std::string& what) {
    std::ifstream f(path);
    std::string name;
    long value;
    while (f >> name >> value)
        if (name == what + ":")
            return value;
    return 0;
}

// Plays "Dropple 3", freezes it, sends `during` in one write, lets it run again, sends `after`
// 30 ms later and returns how far `what` moved.
long whilefrozen(const std::string& during, const std::string& after, const std::string& what) {
    ptyrun g;
    g.answer = "\x1b[?0u\x1b[?62;c";
    const std::string file = g.dir + "/report";
    g.start({STANDIN, "game", file, "4096"}, ""); // the usual auto repeat: a whole row at once
    EXPECT_TRUE(g.pump([&] { return status(file, "frames") >= 30; }, 10000)) << "no game";
    if (pid_t child = ptyrun::firstchild(g.pid); child > 0) // the guardian is there by now
        g.player = child;
    const long before = status(file, what);
    int st = 0;
    EXPECT_EQ(ptrace(PTRACE_SEIZE, g.player, nullptr, nullptr), 0);
    EXPECT_EQ(ptrace(PTRACE_INTERRUPT, g.player, nullptr, nullptr), 0);
    EXPECT_EQ(waitpid(g.player, &st, __WALL), g.player);
    EXPECT_TRUE(WIFSTOPPED(st));
    g.pump([] { return false; }, 30); // the stand-in's reporting thread is not frozen
    const long frozen = status(file, "frames");
    g.type(during.c_str());
    g.pump([] { return false; }, 100);
    EXPECT_EQ(status(file, "frames"), frozen) << "the game ran while it should be frozen";
    EXPECT_EQ(ptrace(PTRACE_DETACH, g.player, nullptr, nullptr), 0);
    g.pump([] { return false; }, 30);
    if (!after.empty())
        g.type(after.c_str());
    EXPECT_TRUE(g.pump([&] { return status(file, "frames") >= frozen + 30; }, 10000));
    return status(file, what) - before;
}

std::string twotaps(char key) {
    return pressof(key) + releaseof(key) + pressof(key) + releaseof(key);
}

TEST(Stall, TwoHardDropTapsWhileFrozenDropTwoPieces) {
    EXPECT_EQ(whilefrozen(twotaps('A'), "", "pieces"), 2);
}

TEST(Stall, TwoLeftTapsWhileFrozenMoveTwoColumnsAndATapAcrossTheEndMovesOne) {
    EXPECT_EQ(whilefrozen(twotaps('D'), "", "column"), 2);
    EXPECT_EQ(whilefrozen(pressof('D'), releaseof('D'), "column"), 1);
}

} // namespace

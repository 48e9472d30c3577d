// A game frozen from outside for about 100 ms, as a busy machine may freeze it, while two taps of a
// key arrive through a terminal that reports releases: both taps act once it runs again. The
// freeze is a debugger's stop, which the game cannot see; a stop signal would look like Ctrl-Z
// and `fg` to it.
#include "ptygame.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sys/ptrace.h>

namespace {

// The stand-in's report: "name: number" lines.
std::map<std::string, long> status(const std::string& path) {
    std::map<std::string, long> r;
    std::ifstream f(path);
    std::string name;
    long value;
    while (f >> name >> value)
        r[name.substr(0, name.size() - 1)] = value;
    return r;
}

template <class F> bool waitfor(F done, int ms = 10000) {
    for (int i = 0; i < ms / 10 && !done(); i++)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return done();
}

// Plays "Dropple 3", freezes it, sends two taps of the key in one write, lets it run again and
// returns how far `what` moved.
long twotapswhilefrozen(const std::string& press, const std::string& release,
                        const std::string& what) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("dropple-stall-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string file = (dir / "status").string();
    long moved = -1;
    {
        ptygame g({STANDIN, "game", file, "0"}, dir.string());
        EXPECT_TRUE(waitfor([&] { return status(file)["frames"] >= 30; })) << "no game";
        const long before = status(file)[what];

        int st = 0;
        const pid_t p = g.player();
        EXPECT_EQ(ptrace(PTRACE_SEIZE, p, nullptr, nullptr), 0);
        EXPECT_EQ(ptrace(PTRACE_INTERRUPT, p, nullptr, nullptr), 0);
        EXPECT_EQ(waitpid(p, &st, __WALL), p);
        EXPECT_TRUE(WIFSTOPPED(st));
        const long frozen = status(file)["frames"];
        g.send(press + release + press + release);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        EXPECT_EQ(status(file)["frames"], frozen) << "the game ran while it should be frozen";
        EXPECT_EQ(ptrace(PTRACE_DETACH, p, nullptr, nullptr), 0);

        EXPECT_TRUE(waitfor([&] { return status(file)["frames"] >= frozen + 30; }));
        moved = status(file)[what] - before;
    }
    std::filesystem::remove_all(dir);
    return moved;
}

TEST(Stall, TwoHardDropTapsWhileFrozenDropTwoPieces) {
    EXPECT_EQ(twotapswhilefrozen(pressof('A'), releaseof('A'), "pieces"), 2);
}

TEST(Stall, TwoLeftTapsWhileFrozenMoveTwoColumns) {
    EXPECT_EQ(twotapswhilefrozen(pressof('D'), releaseof('D'), "column"), 2);
}

} // namespace

// A shell in a tmux pane that starts a program in the terminal and checks that the terminal is
// given back exactly as it was: modes, screen, cursor.
#pragma once

#include "tmuxpane.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

inline std::string slurp(const std::string& path) {
    std::ifstream f(path);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

template <class F> bool waitfor(F done, int ms = 5000) {
    for (int i = 0; i < ms / 20; i++) {
        if (done())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return done();
}

// The process whose parent is `parent`, or 0.
inline int childof(int parent) {
    for (auto& e : std::filesystem::directory_iterator("/proc")) {
        std::string stat = slurp(e.path().string() + "/stat");
        auto close = stat.rfind(')');
        if (close == std::string::npos)
            continue;
        std::istringstream rest(stat.substr(close + 2));
        char state;
        int ppid = 0;
        rest >> state >> ppid;
        if (ppid == parent)
            return std::atoi(e.path().filename().c_str());
    }
    return 0;
}

class shellpane : public ::testing::Test {
  protected:
    std::string dir;
    int program = 0;

    void SetUp() override {
        if (!tmuxthere())
            GTEST_SKIP() << "tmux is not installed";
        dir = scratchdir();
        ASSERT_FALSE(dir.empty());
        // Keys come only through the pane: no X display whose key map the game could read instead.
        tmuxstart("pane", 100, 30,
                  "cd " + dir + " && unset DISPLAY && PS1=\\$\\  exec bash --norc --noprofile");
        type("stty -a > before; echo ready");
        ASSERT_TRUE(waitfor([&] { return screen().find("\nready") != std::string::npos; }));
    }
    void TearDown() override {
        if (program > 0)
            kill(program, SIGKILL);
        tmuxstop();
        if (!dir.empty())
            std::filesystem::remove_all(dir);
    }

    void type(const std::string& line) {
        tmux("send-keys -t pane -l '" + line + "'");
        tmux("send-keys -t pane Enter");
    }
    void keys(const std::string& names) { tmux("send-keys -t pane " + names); }
    std::string screen() { return tmux("capture-pane -p -t pane"); }
    bool shows(const std::string& text) { return screen().find(text) != std::string::npos; }
    std::string flag(const char* name) {
        std::string v = tmux(std::string("display -p -t pane '#{") + name + "}'");
        return v.substr(0, v.find('\n'));
    }

    // Starts a program from the shell and waits until it has the alternate screen.
    void start(const std::string& command) {
        type(command);
        ASSERT_TRUE(waitfor([&] { return flag("alternate_on") == "1"; }));
        int shell = std::atoi(flag("pane_pid").c_str());
        ASSERT_TRUE(waitfor([&] { return (program = childof(shell)) > 0; }));
    }

    // After the program has ended: its exit status, and the terminal's modes, screen and cursor as
    // before the start.
    void restored(const std::string& status) {
        ASSERT_TRUE(
            waitfor([&] { return !std::filesystem::exists("/proc/" + std::to_string(program)); }));
        program = 0;
        EXPECT_EQ(flag("alternate_on"), "0");
        EXPECT_EQ(flag("cursor_flag"), "1");
        std::filesystem::remove(dir + "/status");
        std::filesystem::remove(dir + "/after");
        type("echo status=$? > status; stty -a > after; echo checked");
        ASSERT_TRUE(waitfor([&] { return !slurp(dir + "/status").empty(); }));
        EXPECT_EQ(slurp(dir + "/status"), "status=" + status + "\n");
        ASSERT_TRUE(waitfor([&] { return !slurp(dir + "/after").empty(); }));
        waitfor([&] { return shows("\nchecked"); });
        EXPECT_EQ(slurp(dir + "/before"), slurp(dir + "/after"));
        // The shell's screen is as it was, with nothing of the program's picture on it.
        std::string s = screen();
        EXPECT_NE(s.find("echo ready"), std::string::npos) << s;
        EXPECT_EQ(s.find("\u263A"), std::string::npos) << s;
    }
};

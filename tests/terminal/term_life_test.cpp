// The terminal is given back exactly as it was on every way out, and a suspended game comes back
// whole: a stand-in game runs through the real terminal back end in a tmux pane.
#include "tmuxpane.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace {

std::string slurp(const std::string& path) {
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
int childof(int parent) {
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

class life : public ::testing::Test {
  protected:
    std::string dir;
    int game = 0;

    void SetUp() override {
        if (!tmuxthere())
            GTEST_SKIP() << "tmux is not installed";
        dir = scratchdir();
        ASSERT_FALSE(dir.empty());
        tmuxstart("life", 100, 30, "cd " + dir + " && PS1=\\$\\  exec bash --norc --noprofile");
        type("stty -a > before; echo ready");
        ASSERT_TRUE(waitfor([&] { return screen().find("\nready") != std::string::npos; }));
    }
    void TearDown() override {
        if (game > 0)
            kill(game, SIGKILL);
        tmuxstop();
        if (!dir.empty())
            std::filesystem::remove_all(dir);
    }

    void type(const std::string& line) {
        tmux("send-keys -t life -l '" + line + "'");
        tmux("send-keys -t life Enter");
    }
    std::string screen() { return tmux("capture-pane -p -t life"); }
    std::string flag(const char* name) {
        std::string v = tmux(std::string("display -p -t life '#{") + name + "}'");
        return v.substr(0, v.find('\n'));
    }

    // Starts the stand-in game and waits for its picture; its frame counter is row 2 (the 80 by 25
    // area centred in 100 by 30), columns 10-15.
    void start(const std::string& frames = "0") {
        type(std::string(TERMHARNESS) + " " + frames);
        ASSERT_TRUE(waitfor([&] { return flag("alternate_on") == "1"; }));
        int shell = std::atoi(flag("pane_pid").c_str());
        ASSERT_TRUE(waitfor([&] { return (game = childof(shell)) > 0; }));
        ASSERT_TRUE(waitfor([&] { return counter() > 0; }));
    }
    long counter() {
        std::istringstream lines(screen());
        std::string line;
        for (int i = 0; i < 3 && std::getline(lines, line);)
            i++;
        return line.size() >= 16 ? std::atol(line.substr(10, 6).c_str()) : 0;
    }

    // After the game has ended: its exit status, and the terminal's modes, screen and cursor as
    // before the start.
    void restored(const std::string& status) {
        ASSERT_TRUE(
            waitfor([&] { return !std::filesystem::exists("/proc/" + std::to_string(game)); }));
        game = 0;
        EXPECT_EQ(flag("alternate_on"), "0");
        EXPECT_EQ(flag("cursor_flag"), "1");
        type("echo status=$? > status; stty -a > after; echo checked");
        ASSERT_TRUE(waitfor([&] { return std::filesystem::exists(dir + "/status"); }));
        EXPECT_EQ(slurp(dir + "/status"), "status=" + status + "\n");
        ASSERT_TRUE(waitfor([&] { return std::filesystem::exists(dir + "/after"); }));
        waitfor([&] { return screen().find("\nchecked") != std::string::npos; });
        EXPECT_EQ(slurp(dir + "/before"), slurp(dir + "/after"));
        // The shell's screen is as it was, with nothing of the game's picture on it.
        std::string s = screen();
        EXPECT_NE(s.find("echo ready"), std::string::npos) << s;
        EXPECT_EQ(s.find("\u263A"), std::string::npos) << s;
    }
};

} // namespace

TEST_F(life, returnfrommainrestores) {
    start("120");
    restored("0");
}

TEST_F(life, endingsignalsrestoreandstillend) {
    for (auto [sig, status] : {std::pair{SIGTERM, "143"}, {SIGHUP, "129"}, {SIGINT, "130"}}) {
        SCOPED_TRACE(sig);
        std::filesystem::remove(dir + "/status");
        std::filesystem::remove(dir + "/after");
        start();
        kill(game, sig);
        restored(status);
    }
}

TEST_F(life, acrashrestoresbeforetheprogramdies) {
    start();
    kill(game, SIGSEGV);
    restored("139");
}

TEST_F(life, suspendgivesbacktheterminalandfgredraws) {
    start();
    // As the terminal does it: the whole foreground job gets the signal.
    kill(-game, SIGTSTP);
    ASSERT_TRUE(waitfor([&] { return flag("alternate_on") == "0"; }));
    ASSERT_TRUE(waitfor([&] { return screen().find("Stopped") != std::string::npos; }));
    EXPECT_EQ(flag("cursor_flag"), "1");
    type("stty -a > during");
    ASSERT_TRUE(waitfor([&] { return std::filesystem::exists(dir + "/during"); }));
    EXPECT_EQ(slurp(dir + "/before"), slurp(dir + "/during"));

    // Scribble on the alternate screen meanwhile: the game must repaint all of it.
    type("printf \"\\033[?1049h\\033[2J\"; fg");
    ASSERT_TRUE(waitfor([&] { return flag("alternate_on") == "1"; }));
    long before = 0;
    ASSERT_TRUE(waitfor([&] { return (before = counter()) > 0; }));
    ASSERT_TRUE(waitfor([&] { return counter() > before; }));
    std::string s = screen();
    EXPECT_NE(s.find("\u263A\u263B\u2665"), std::string::npos) << s;
    EXPECT_EQ(flag("cursor_flag"), "0");
    kill(game, SIGTERM);
    restored("143");
}

TEST_F(life, aresizedterminalgetsthepicturecentredagain) {
    start();
    tmux("resize-window -t life -x 90 -y 27");
    // The frame counter moves to row 1, columns 5-10.
    ASSERT_TRUE(waitfor([&] {
        std::istringstream lines(screen());
        std::string line;
        std::getline(lines, line);
        std::getline(lines, line);
        return line.size() > 12 && line.substr(0, 5) == "     " && line[5] == '0';
    })) << screen();
    tmux("resize-window -t life -x 70 -y 20");
    ASSERT_TRUE(waitfor([&] { return screen().find("(now 70 x 20)") != std::string::npos; }));
    tmux("resize-window -t life -x 100 -y 30");
    ASSERT_TRUE(waitfor([&] { return counter() > 0; }));
    kill(game, SIGTERM);
    restored("143");
}

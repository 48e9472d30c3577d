// The terminal is given back exactly as it was on every way out, and a suspended game comes back
// whole: a stand-in game runs through the real terminal back end in a tmux pane.
#include "shellpane.h"

#include <csignal>

namespace {

class life : public shellpane {
  protected:
    int& game = program;

    // Starts the stand-in game and waits for its picture; its frame counter is row 2 (the 80 by 25
    // area centred in 100 by 30), columns 10-15.
    void start(const std::string& frames = "0") {
        shellpane::start(std::string(TERMHARNESS) + " " + frames);
        ASSERT_TRUE(waitfor([&] { return counter() > 0; }));
    }
    long counter() {
        std::istringstream lines(screen());
        std::string line;
        for (int i = 0; i < 3 && std::getline(lines, line);)
            i++;
        return line.size() >= 16 ? std::atol(line.substr(10, 6).c_str()) : 0;
    }
};

} // namespace

TEST_F(life, returnfrommainrestores) {
    start("120");
    restored("0");
    // What went to stderr during the game went elsewhere; stderr is the terminal's again after.
    std::string s = screen();
    EXPECT_EQ(s.find("scribble"), std::string::npos) << s;
    EXPECT_NE(s.find("stderr is back"), std::string::npos) << s;
}

TEST_F(life, endingsignalsrestoreandstillend) {
    for (auto [sig, status] : {std::pair{SIGTERM, "143"}, {SIGHUP, "129"}, {SIGINT, "130"}}) {
        SCOPED_TRACE(sig);
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
    ASSERT_TRUE(waitfor([&] { return !slurp(dir + "/during").empty(); }));
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
    tmux("resize-window -t pane -x 90 -y 27");
    // The frame counter moves to row 1, columns 5-10.
    ASSERT_TRUE(waitfor([&] {
        std::istringstream lines(screen());
        std::string line;
        std::getline(lines, line);
        std::getline(lines, line);
        return line.size() > 12 && line.substr(0, 5) == "     " && line[5] == '0';
    })) << screen();
    tmux("resize-window -t pane -x 70 -y 20");
    ASSERT_TRUE(waitfor([&] { return screen().find("(now 70 x 20)") != std::string::npos; }));
    tmux("resize-window -t pane -x 100 -y 30");
    ASSERT_TRUE(waitfor([&] { return counter() > 0; }));
    kill(game, SIGTERM);
    restored("143");
}

// The game itself in tmux: its menu appears, a game starts, and whichever way it ends, the
// terminal is as it was.
#include "shellpane.h"

#include <cctype>
#include <csignal>

namespace {

class game : public shellpane {
  protected:
    void SetUp() override {
        shellpane::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        start(DROPPLE);
        ASSERT_TRUE(waitfor([&] { return menushown(); })) << screen();
    }
    bool menushown() {
        std::string s = screen();
        return s.find("quit") != std::string::npos &&
               s.find("Dropple 5 Death") != std::string::npos;
    }
};

} // namespace

TEST_F(game, menuappearscentred) {
    // The menu sits in the middle of the 100 by 30 pane, "quit" on its first row.
    std::string s = screen();
    EXPECT_EQ(s.find("\n\n          quit"), 0u) << s;
    // The frame-rate meter in its bottom-right corner: row 26, columns 86-89 of the pane.
    std::istringstream lines(s);
    std::string line;
    for (int i = 0; i <= 26; i++)
        std::getline(lines, line);
    ASSERT_GE(line.size(), 90u) << s;
    EXPECT_TRUE(std::isdigit(line[86]) && std::isdigit(line[87]) && line[88] == '.' &&
                std::isdigit(line[89]))
        << line;
}

TEST_F(game, terminatingandhangupsignalsrestore) {
    kill(program, SIGTERM);
    restored("143");
    start(DROPPLE);
    ASSERT_TRUE(waitfor([&] { return menushown(); }));
    kill(program, SIGHUP);
    restored("129");
}

TEST_F(game, quitfromthemenurestores) {
    keys("Enter");
    restored("0");
}

TEST_F(game, ctrlcendsandrestores) {
    keys("C-c");
    restored("130");
}

TEST_F(game, ctrlzsuspendsandfgcomesbackwhole) {
    keys("C-z");
    ASSERT_TRUE(waitfor([&] { return shows("Stopped"); })) << screen();
    EXPECT_EQ(flag("alternate_on"), "0");
    EXPECT_EQ(flag("cursor_flag"), "1");
    type("stty -a > during");
    ASSERT_TRUE(waitfor([&] { return !slurp(dir + "/during").empty(); }));
    EXPECT_EQ(slurp(dir + "/before"), slurp(dir + "/during"));

    // Whatever happened to the alternate screen meanwhile, the menu comes back whole.
    type("printf \"\\033[?1049h\\033[2J\"; fg");
    ASSERT_TRUE(waitfor([&] { return menushown(); })) << screen();
    EXPECT_EQ(flag("alternate_on"), "1");
    EXPECT_EQ(flag("cursor_flag"), "0");
    keys("Enter");
    restored("0");
}

TEST_F(game, agamestartsfromthemenu) {
    // Seven rows down to "Dropple 2", one key at a time as a player would press them.
    for (int i = 0; i < 7; i++) {
        keys("Down");
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
    }
    keys("Enter");
    ASSERT_TRUE(waitfor([&] { return !shows("Dropple 5 Death"); })) << screen();
    std::string s = screen();
    EXPECT_NE(s.find("Dropple 2"), std::string::npos) << s;
    keys("C-c");
    restored("130");
}

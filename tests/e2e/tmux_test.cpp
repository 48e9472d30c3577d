// The game itself in tmux: its menu appears centred, a game starts, and whichever way it ends,
// the terminal is as it was.
#include "pane.h"

namespace {

class game : public pane {
  protected:
    void SetUp() override {
        openshell();
        if (!IsSkipped() && !HasFatalFailure())
            run();
    }
    void run() {
        start(DROPPLE);
        ASSERT_TRUE(waitfor([&] { return shows("quit") && shows("Dropple 5 Death"); })) << screen();
    }
};

} // namespace

TEST_F(game, quitfromthemenurestores) {
    keys("Enter");
    restored("0");
}

TEST_F(game, ctrlcendsandrestores) {
    keys("C-c");
    restored("130");
}

TEST_F(game, signalsandacrashrestoreandstillend) {
    for (auto [sig, status] : {std::pair{SIGTERM, "143"}, {SIGHUP, "129"}, {SIGSEGV, "139"}}) {
        SCOPED_TRACE(sig);
        if (sig != SIGTERM)
            run();
        kill(program, sig);
        restored(status);
    }
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
    ASSERT_TRUE(waitfor([&] { return shows("Dropple 5 Death"); })) << screen();
    EXPECT_EQ(flag("cursor_flag"), "0");
    keys("Enter");
    restored("0");
}

TEST_F(game, themenufollowstheterminalsize) {
    // "quit" heads the menu, centred: two rows and ten columns in, then one and five.
    EXPECT_EQ(screen().find("\n\n          quit"), 0u) << screen();
    tmux("resize-window -t pane -x 90 -y 27");
    EXPECT_TRUE(waitfor([&] { return screen().find("\n     quit") == 0; })) << screen();
    tmux("resize-window -t pane -x 70 -y 20");
    EXPECT_TRUE(waitfor([&] { return shows("(now 70 x 20)"); })) << screen();
    tmux("resize-window -t pane -x 100 -y 30");
    EXPECT_TRUE(waitfor([&] { return screen().find("\n\n          quit") == 0; })) << screen();
    keys("C-c");
    restored("130");
}

TEST_F(game, agamestartsfromthemenu) {
    // Seven rows down to "Dropple 2", one key at a time as a player would press them.
    for (int i = 0; i < 7; i++) {
        keys("Down");
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
    }
    keys("Enter");
    ASSERT_TRUE(waitfor([&] { return !shows("Dropple 5 Death"); })) << screen();
    EXPECT_TRUE(shows("Dropple 2")) << screen();
    keys("C-c");
    restored("130");
}

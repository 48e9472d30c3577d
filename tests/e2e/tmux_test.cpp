// The game itself in tmux: its menu, a game, and the terminal as it was whichever way it ends.
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

TEST_F(game, everywayoutrestores) {
    const std::pair<const char*, const char*> ends[] = {
        {"C-c", "130"}, {"TERM", "143"}, {"HUP", "129"}, {"SEGV", "139"}};
    for (auto [end, status] : ends) {
        SCOPED_TRACE(end);
        if (end[0] == 'C')
            keys(end);
        else
            kill(program, end[0] == 'T' ? SIGTERM : end[0] == 'H' ? SIGHUP : SIGSEGV);
        restored(status);
        if (end[0] != 'S')
            run();
    }
}

TEST_F(game, followstheterminalsizecomesbackafterctrlzandquits) {
    // "quit" heads the menu, centred: two rows and ten columns in.
    EXPECT_EQ(screen().find("\n\n          quit"), 0u) << screen();
    tmux("resize-window -t pane -x 70 -y 20");
    EXPECT_TRUE(waitfor([&] { return shows("(now 70 x 20)"); })) << screen();
    tmux("resize-window -t pane -x 100 -y 30");
    EXPECT_TRUE(waitfor([&] { return screen().find("\n\n          quit") == 0; })) << screen();
    keys("C-z");
    ASSERT_TRUE(waitfor([&] { return shows("Stopped"); })) << screen();
    EXPECT_TRUE(!flag("alternate_on") && flag("cursor_flag"));
    // Whatever happened to the alternate screen meanwhile, the menu comes back whole.
    type("printf \"\\033[?1049h\\033[2J\"; fg");
    ASSERT_TRUE(waitfor([&] { return shows("Dropple 5 Death"); })) << screen();
    EXPECT_FALSE(flag("cursor_flag"));
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
    EXPECT_TRUE(shows("Dropple 2")) << screen();
    keys("C-c");
    restored("130");
}

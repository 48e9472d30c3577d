// The game itself in tmux, played from the menu as a player would: the game must be running, not
// merely drawn.
#include "pane.h"

#include <sstream>

namespace {

// Row `r` of the game's 80 by 25 frame, centred in the 100 by 30 pane.
std::string row(const std::string& screen, int r) {
    std::istringstream in(screen);
    std::string line;
    for (int i = 0; i <= r + 2; i++)
        if (!std::getline(in, line))
            return "";
    return line.size() > 10 ? line.substr(10) + std::string(80, ' ') : std::string(80, ' ');
}

// The bottom row of the playfield, as the colours of its twenty cells.
std::vector<long> floorcolours() {
    std::vector<long> c;
    auto cells = tmuxcells();
    if (cells.size() > 25)
        for (int x = 40; x < 60 && x < int(cells[25].size()); x++)
            c.push_back(cells[25][x].bg);
    return c;
}

} // namespace

using game = pane;

// Down seven rows to "Dropple 2"; the clock runs, and a hard drop lands the piece on the floor and
// counts it.
TEST_F(game, agamestartedfromthemenuplays) {
    open("unset DISPLAY; SSH_TTY=/dev/pts/x exec " DROPPLE);
    if (IsSkipped() || HasFatalFailure())
        return;
    ASSERT_TRUE(waitfor([&] { return shows("Dropple 5 Death"); })) << screen();
    for (int i = 0; i < 7; i++) {
        keys("Down");
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
    }
    keys("Enter");
    ASSERT_TRUE(waitfor([&] { return shows("piece:"); })) << screen();
    EXPECT_EQ(row(screen(), 0).substr(0, 10), "Dropple 2 ");
    auto clock = [&] { return std::atof(row(screen(), 2).substr(50, 21).c_str()); };
    const double started = clock();
    const auto before = floorcolours();
    EXPECT_TRUE(waitfor([&] { return clock() >= started + 0.5; })) << screen();
    EXPECT_EQ(row(screen(), 17).substr(0, 20), std::string(19, ' ') + "0");
    keys("Up");
    EXPECT_TRUE(waitfor([&] {
        return row(screen(), 17).substr(0, 20) == std::string(19, ' ') + "1";
    })) << screen();
    EXPECT_NE(floorcolours(), before) << screen();
    keys("C-c");
}

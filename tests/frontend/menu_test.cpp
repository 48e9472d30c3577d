#include "console/screen.h"
#include "screenrun.h"

namespace {

constexpr unsigned char up = 0x26, down = 0x28, start = 0x0D;
const script still = [](std::uint64_t) {}; // keys stay as they are

class Menu : public ScreenTest {
  protected:
    // The highlighted row as presented: -1 for none, -2 for more than one. The far end is what
    // shows that the whole row is lit.
    static int shownrow() {
        int found = -1;
        for (int r = 0; r < screenrows; r++)
            if (attrat(r, 79) == pieces[25].attr)
                found = found == -1 ? r : -2;
        return found;
    }

    // The menu run with `each`, noting the highlighted row of every presented frame.
    int runmenu(script each, std::uint64_t limit = 60) {
        rows.clear();
        return run(
            menu, [&](std::uint64_t n) { rows.push_back(shownrow()), each(n); }, limit);
    }
    std::vector<int> rows;
};

} // namespace

TEST_F(Menu, StartAtOnceQuitsFromAScreenOfTwelveItems) {
    headless::press(start);
    EXPECT_EQ(runmenu(taps("")), 0);
    EXPECT_EQ(rows, std::vector<int>{0});
    std::string shown; // blanks trimmed, but for the frame-rate meter in the bottom right corner
    for (int r = 0; r < screenrows; r++) {
        std::string row = text(r, 0, r == 24 ? 76 : 80);
        shown += row.erase(row.find_last_not_of(' ') + 1) + "|";
    }
    EXPECT_EQ(shown, "quit|color picker|change 16 colors|menu|settings|ingame keyboard config|gui "
                     "keyboard config|Dropple 2|Dropple 3|Dropple 4|Dropple 5|Dropple 5 Death|" +
                         std::string(13, '|'));
    EXPECT_EQ(attrat(0, 0), hl);
    EXPECT_EQ(attrat(23, 79), ui);
}

TEST_F(Menu, UpAtTheTopMovesNothingButItsCounterRunsAndUpGoesBeforeDown) {
    headless::press(up);
    EXPECT_EQ(runmenu(still, 5), -1);
    EXPECT_EQ(rows, std::vector<int>(5, 0));
    EXPECT_EQ(daskeys[0], 6u);
    daskeys[0] = 0;
    headless::press(up);
    headless::press(down);
    runmenu(still, 1);
    EXPECT_EQ(rows, std::vector<int>{1});
}

// Down held from the first frame, with the menu timing the file holds: the frames on which the
// cursor moves, stopping at the last row.
TEST_F(Menu, HeldKeysRepeatAfterTheMenuDelayAtTheMenuRate) {
    const struct {
        std::uint32_t das, arr;
        std::vector<int> moves;
    } timings[] = {
        {8, 1, {1, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18}},
        {8, 3, {1, 9, 12, 15, 18}},
        {8, 0, {1, 9}},
        {3, 5, {1, 4, 6, 9, 11, 14, 16, 19}}, // the counter wraps below 0
    };
    for (auto& t : timings) {
        initload();
        GUIDAS = t.das;
        GUIARR = t.arr;
        savesettings();
        std::memset(daskeys, 0, sizeof daskeys);
        headless::press(down);
        runmenu(still, 20);
        std::vector<int> want;
        for (int f = 1; f <= 20; f++)
            want.push_back(static_cast<int>(
                std::count_if(t.moves.begin(), t.moves.end(), [f](int m) { return m <= f; })));
        EXPECT_EQ(rows, want) << "menu DAS " << t.das << ", ARR " << t.arr;
    }
}

TEST_F(Menu, StartHeldFromBeforeWaitsAndChoosingMenuReloadsTheFile) {
    keys[6] = 1;
    daskeys[6] = 5;
    headless::press(start);
    // Start let go after frame 10, then three taps of down and one of start.
    ASSERT_EQ(runmenu([](std::uint64_t n) {
                  if (n >= 10)
                      taps("ddds")(n - 9);
              }),
              3);
    EXPECT_EQ(rows.size(), 17u);
    EXPECT_EQ(daskeys[6], 0u);
    // Another screen changed the file: the menu shows it and uses its keys.
    pieces[25].attr = 0x4E;
    guikeys[6] = 0x20;
    savesettings();
    pieces[25].attr = 0x30;
    EXPECT_EQ(runmenu(taps(". ")), 0);
    EXPECT_EQ(pieces[25].attr, 0x4E);
    EXPECT_EQ(rows, std::vector<int>(4, 0));
}

#include "console/platform.h"
#include "console/platform/headless.h"
#include "console/screen.h"
#include "frontend/frontend.h"
#include "shell/shell.h"
#include "tempdir.h"

#include <cstring>

namespace {

constexpr unsigned char up = 0x26, down = 0x28, start = 0x0D;

// At the end of frame `frame` the key `code` goes down (or up) for the frames that follow.
struct step {
    std::uint64_t frame;
    unsigned char code;
    bool down;
};
struct stuck {};

// The highlighted row as presented, or -1 unless exactly one row is highlighted whole.
int shownrow() {
    int found = -1;
    for (int r = 0; r < screenrows; r++) {
        int n = 0;
        for (int c = 0; c < screencols; c++)
            n += headless::display()[r * screencols + c].attr == pieces[25].attr;
        if (n == screencols)
            found = found == -1 ? r : -2;
    }
    return found < 0 ? -1 : found;
}

class Menu : public tempdir {
  protected:
    void SetUp() override {
        tempdir::SetUp();
        headless::reset();
        initscreen();
        std::memset(keys, 0, sizeof keys);
        std::memset(daskeys, 0, sizeof daskeys);
    }

    // Runs the menu through a script (frames count from 1 in each run); -1 if it has not
    // returned after `limit` frames. `rows` gets the highlighted row of every presented frame.
    int run(std::vector<step> script, std::uint64_t limit = 60) {
        rows.clear();
        std::uint64_t base = headless::frame();
        headless::onframe([&, base](std::uint64_t f) {
            rows.push_back(shownrow());
            if (f - base >= limit)
                throw stuck{};
            for (const step& s : script)
                if (s.frame == f - base)
                    s.down ? headless::press(s.code) : headless::release(s.code);
        });
        try {
            return menu();
        } catch (stuck&) {
            return -1;
        }
    }
    std::vector<int> rows;
};

// The highlighted row on frames 1, 2, ... while down is held from the start: a move on the first
// frame, then at `firstrepeat` and every `rate` frames after it, until the last row.
std::vector<int> heldrows(int frames, int firstrepeat, int rate) {
    std::vector<int> want;
    int row = 0;
    for (int f = 1; f <= frames; f++) {
        row += f == 1 || (f >= firstrepeat && (f - firstrepeat) % rate == 0);
        want.push_back(std::min(row, 11));
    }
    return want;
}

} // namespace

TEST_F(Menu, StartAtOnceQuitsFromAScreenOfTwelveItems) {
    headless::press(start);
    EXPECT_EQ(run({}), 0);
    EXPECT_EQ(headless::presented().size(), 1u);
    // Every row as shown, blanks trimmed, except the frame-rate meter in the bottom right corner.
    std::string text;
    int wrongattr = 0;
    for (int r = 0; r < screenrows; r++) {
        std::string row;
        for (int c = 0; c < (r == 24 ? 76 : 80); c++) {
            row += static_cast<char>(headless::display()[r * screencols + c].ch);
            wrongattr += headless::display()[r * screencols + c].attr != (r == 0 ? 0x30 : 0x70);
        }
        text += row.erase(row.find_last_not_of(' ') + 1) + "|";
    }
    EXPECT_EQ(text, "quit|color picker|change 16 colors|menu|settings|ingame keyboard config|gui "
                    "keyboard config|Dropple 2|Dropple 3|Dropple 4|Dropple 5|Dropple 5 Death|" +
                        std::string(13, '|'));
    EXPECT_EQ(wrongattr, 0);
}

TEST_F(Menu, StartHeldFromThePreviousScreenChoosesNothingUntilReleased) {
    keys[6] = 1;
    daskeys[6] = 5;
    headless::press(start);
    EXPECT_EQ(run({{10, start, false}, {10, down, true}, {11, down, false}, {14, start, true}}), 1);
    EXPECT_EQ(rows.size(), 15u);
    EXPECT_EQ(daskeys[6], 0u);
}

TEST_F(Menu, UpAtTheTopAndDownAtTheBottomMoveNothingButTheCounterRuns) {
    headless::press(up);
    EXPECT_EQ(run({}, 5), -1);
    EXPECT_EQ(rows, std::vector<int>(5, 0));
    EXPECT_EQ(daskeys[0], 5u);

    headless::release(up);
    headless::press(down);
    run({}, 40);
    EXPECT_EQ(rows.back(), 11);
    EXPECT_EQ(std::count(rows.begin(), rows.end(), 11), 40 - 17);
    EXPECT_EQ(daskeys[1], 8u);
}

TEST_F(Menu, HeldKeysRepeatAfterTheMenuDelayAtTheMenuRate) {
    headless::press(down);
    run({}, 30);
    EXPECT_EQ(rows, heldrows(30, 9, 1)); // GUIDAS 8, GUIARR 1

    GUIARR = 3;
    savesettings();
    std::memset(keys, 0, sizeof keys);
    std::memset(daskeys, 0, sizeof daskeys);
    run({}, 30);
    EXPECT_EQ(rows, heldrows(30, 9, 3));
}

TEST_F(Menu, UpAndDownInOneFrameMoveUpFirst) {
    headless::press(up);
    headless::press(down);
    run({}, 1);
    EXPECT_EQ(rows, std::vector<int>{1});
}

TEST_F(Menu, ChoosingMenuReloadsTheFileAndStartsAgainOnQuit) {
    ASSERT_EQ(run({{1, down, true},
                   {2, down, false},
                   {3, down, true},
                   {4, down, false},
                   {5, down, true},
                   {6, down, false},
                   {7, start, true}}),
              3);
    // Another screen changed the file: the menu shows it and uses its keys.
    pieces[25].attr = 0x4E;
    guikeys[6] = 0x20;
    savesettings();
    pieces[25].attr = 0x30;
    EXPECT_EQ(run({{3, 0x20, true}}), 0);
    EXPECT_EQ(pieces[25].attr, 0x4E);
    EXPECT_EQ(rows, std::vector<int>(4, 0));
}

TEST(Guikeyrepeat, ARateOfZeroRepeatsOnceAndARateAboveTheDelayWrapsTheCounter) {
    headless::reset();
    keys[4] = 0;
    daskeys[4] = 0;
    guikeys[4] = 0x58;
    GUIDAS = 3;
    auto fires = [](int frames) {
        std::vector<int> at;
        headless::press(0x58);
        for (int f = 1; f <= frames; f++)
            if (guikeyrepeat(4))
                at.push_back(f);
        headless::release(0x58);
        EXPECT_FALSE(guikeyrepeat(4));
        EXPECT_EQ(daskeys[4], 0u);
        return at;
    };
    GUIARR = 0;
    EXPECT_EQ(fires(50), (std::vector<int>{1, 4}));
    GUIARR = 5;
    EXPECT_EQ(fires(14), (std::vector<int>{1, 4, 6, 9, 11, 14}));
}
